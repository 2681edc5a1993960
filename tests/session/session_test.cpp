// Detection, logger settings and clearing against the virtual transmitter, through the
// real engine and serial port: the rules the window and the command-line tool share.
#include "adapters.h"
#include "detection.h"
#include "loggercommands.h"
#include "loggerengine.h"
#include "recordingfeedback.h"
#include "virtualtransmitter.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace quentry;
using namespace quentry::emulator;

namespace {

class SessionTest : public ::testing::Test
{
protected:
    void start(TEmulatorConfig c, TProtokoll protocol)
    {
        c.rows = 30;
        transmitter = std::make_unique<TVirtualTransmitter>(c);
        const QString port = transmitter->start();
        ASSERT_FALSE(port.isEmpty()) << qPrintable(transmitter->errorString());
        engine.SetFeedback(&feedback);
        device.SetComEngine(&engine);
        reader.SetOstraDevice(&device);
        engine.SetProtokoll(protocol);
        ASSERT_TRUE(engine.OpenComByName(port));
        engine.SetTime_ByteGap(0); // 20 ms byte gap, 30 ms answer wait
    }
    void TearDown() override
    {
        reader.SetOstraDevice(nullptr);
        engine.CloseCom(true);
    }

    float parameter(int n) const { return transmitter->parameter(n).value_or(NAN); }

    test::TRecordingFeedback feedback;
    TCOMEngine engine;
    TOstraDevice device;
    TLOGGEREngine reader;
    TDeviceAccess access{engine, device, feedback};
    TLoggerSettings settings{access};
    TDetection detection{access, settings, reader};
    std::unique_ptr<TVirtualTransmitter> transmitter;
};

} // namespace

TEST(LoggerSettingsDigits, SplitAndJoin)
{
    const TConfigDigits d = SplitDigits(2113.0f);
    EXPECT_EQ(d, (TConfigDigits{3, 1, 1, 2}));
    EXPECT_EQ(LoggerModeNames()[d.units], QString("Event Mode (PV changed precent)"));
    EXPECT_EQ(SplitDigits(2112.5f), (TConfigDigits{2, 1, 1, 2})); // halves to even
    for (int n = 0; n <= 65535; ++n) ASSERT_EQ(JoinDigits(SplitDigits(float(n))), float(n)) << n;
    EXPECT_EQ(ModeLabels(0).value1Label, QString("-"));
    EXPECT_FALSE(ModeLabels(0).listsShown);
    EXPECT_EQ(ModeLabels(3).value1Label, QString("Limit Value (%):"));
    EXPECT_TRUE(ModeLabels(5).value2Shown);
}

TEST(DetectionFeature, ThirdDigitTellsTheLogger)
{
    const struct { quint16 id; bool present; } cases[] = {
        {12345, true}, {104, false}, {12, false}, {0, false}, {102, true}, {65535, false}, {11611, true}, {11911, false}};
    for (const auto& c : cases) EXPECT_EQ(TDetection::LoggerPresentIn(c.id), c.present) << c.id;
}

TEST_F(SessionTest, HartDetectionFillsIdentityClockAndConfiguration)
{
    TEmulatorConfig c;
    c.pollingAddress = 5;
    start(c, prt_HART);
    ASSERT_EQ(detection.Detect(prt_HART), TDetection::TOutcome::Found);
    EXPECT_TRUE(access.DeviceFound);
    EXPECT_TRUE(access.LoggerDetected);
    EXPECT_EQ(detection.PollingAddress, 5);
    EXPECT_EQ(access.DeviceUniqueID.DeviceID, c.deviceId);
    EXPECT_EQ(reader.TestedDevice().UniqueID, access.DeviceUniqueID);
    const QStringList head = detection.memo.mid(0, 4);
    EXPECT_EQ(head, QStringList({"Polling Address: 5", QString("FactoryID: %1").arg(c.factoryId),
                                 QString("DeviceTypeID: %1").arg(c.deviceTypeId),
                                 QString("DeviceID: %1").arg(c.deviceId)}));
    EXPECT_TRUE(detection.memo.contains("On-board logger detected!"));
    const QDateTime clock = transmitter->clock();
    EXPECT_EQ(settings.RtcValue.year, clock.date().year());
    EXPECT_EQ(detection.memo.filter("Date on RTC: ").size(), 1);
    EXPECT_TRUE(detection.ConfigRead);
    EXPECT_EQ(JoinDigits(settings.LoggerConfig.digits), parameter(34));
    EXPECT_EQ(settings.LoggerConfig.value1, parameter(35));
    EXPECT_EQ(feedback.openNow, 0);
}

TEST_F(SessionTest, FastDetectionSkipsIdentificationAndFindsNoLogger)
{
    TEmulatorConfig c;
    c.protocol = TEmuProtocol::Fast;
    c.featureId = 12145; // third digit 1: no logger
    start(c, prt_MODE3);
    EXPECT_EQ(detection.Detect(prt_MODE3), TDetection::TOutcome::NoLogger);
    EXPECT_TRUE(access.DeviceFound);
    EXPECT_FALSE(access.LoggerDetected);
    EXPECT_EQ(detection.memo, QStringList{"On-board logger NOT detected!"});
    EXPECT_EQ(feedback.errors, QStringList{"On-board logger is NOT detected!\r\nPlease try with other device!"});
    EXPECT_EQ(transmitter->stats().fastCount(0), 0) << "no identification under FAST";
}

TEST_F(SessionTest, AdapterThatDoesNotAnswer)
{
    start(TEmulatorConfig(), prt_HART);
    engine.SetAdapter(adt_USB);
    engine.Tavix().SetTimeScale(0.02);
    EXPECT_EQ(detection.Detect(prt_HART), TDetection::TOutcome::AdapterNotFound);
    EXPECT_EQ(detection.memo, QStringList{"Communication Adapter is not found."});
    EXPECT_FALSE(access.DeviceFound);
}

TEST_F(SessionTest, ClockAndConfigurationWrites)
{
    start(TEmulatorConfig(), prt_HART);
    ASSERT_EQ(detection.Detect(prt_HART), TDetection::TOutcome::Found);

    ASSERT_TRUE(settings.WriteRtc(QDate(2015, 6, 30), 23, 59));
    EXPECT_FALSE(transmitter->remoteMode()) << "remote mode is left";
    ASSERT_TRUE(settings.ReadRtc());
    EXPECT_EQ(settings.RtcValue, (TRtcValue{2015, 6, 30, 23, 59}));
    EXPECT_EQ(settings.RtcDate(), QDate(2015, 6, 30));

    settings.LoggerConfig.digits = TConfigDigits{4, 2, 1, 0};
    settings.LoggerConfig.value1 = 12.5f;
    settings.LoggerConfig.value2 = 80;
    ASSERT_TRUE(settings.WriteLoggerConfig());
    EXPECT_EQ(parameter(34), 124.0f);
    EXPECT_EQ(parameter(35), 12.5f);
    EXPECT_EQ(parameter(36), 80.0f);

    // Remote mode refused: nothing written, and that is not reported as success.
    transmitter->setFaults(*TFaultPlan::parse("rc/130=*:16"));
    EXPECT_FALSE(settings.WriteRtc(QDate(2020, 1, 2), 3, 4));
    settings.LoggerConfig.value1 = 99;
    EXPECT_FALSE(settings.WriteLoggerConfig());
    EXPECT_EQ(parameter(35), 12.5f);
}

TEST_F(SessionTest, ClearLoggerEmptiesTheLogger)
{
    start(TEmulatorConfig(), prt_HART);
    ASSERT_EQ(detection.Detect(prt_HART), TDetection::TOutcome::Found);
    ASSERT_GT(transmitter->loggerState().total, 0);
    EXPECT_TRUE(ClearLogger(access, reader));
    EXPECT_EQ(transmitter->loggerState().total, 0);
    EXPECT_FALSE(transmitter->loggerState().open);

    transmitter->setFaults(*TFaultPlan::parse("drop/160=*"));
    EXPECT_FALSE(ClearLogger(access, reader)) << "a logger that could not be opened was not cleared";
}
