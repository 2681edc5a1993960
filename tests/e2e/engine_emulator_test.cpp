// The link engine against the virtual transmitter, through QSerialPort on a pty: what
// the engine sends is understood, what comes back is what the layouts say, and each
// injected fault takes the engine down the path it is meant to.
#include "comengine.h"
#include "adapters.h"
#include "handvectors.h"
#include "recordingfeedback.h"
#include "virtualtransmitter.h"
#include "waiting.h"
#include "wire/logrowcheck.h"
#include "wire/wireconv.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <cstring>

using namespace quentry;
using namespace quentry::emulator;
using quentry::test::hexBytes;

namespace {

template <class T> std::string hexOf(const T& record)
{
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof record).toHex(' ').toUpper().toStdString();
}

std::string hexOf(const QByteArray& b) { return b.toHex(' ').toUpper().toStdString(); }

class EngineOnEmulator : public ::testing::Test
{
protected:
    void start(const TEmulatorConfig& config, TProtokoll protocol, quint8 adapter = adt_None)
    {
        transmitter = std::make_unique<TVirtualTransmitter>(config);
        port = transmitter->start();
        ASSERT_FALSE(port.isEmpty()) << qPrintable(transmitter->errorString());
        engine = std::make_unique<TCOMEngine>();
        engine->SetFeedback(&feedback);
        engine->OnComLogEvent = [this](TCOMEngine*, const QDateTime&, const QString& c, const QString& t) {
            log << c + QStringLiteral(": ") + t;
        };
        engine->SetAdapter(adapter);
        engine->SetProtokoll(protocol);
        ASSERT_TRUE(engine->OpenComByName(port));
        // Shorter waits than on a real line keep the suite quick; the emulator's gaps stay below them.
        engine->SetTime_ByteGap(40);
        engine->SetTime_WaitAnswer(150);
    }

    TTXRXInfo shortFrame(quint8 address) const
    {
        TTXRXInfo d;
        d.Saddress = address;
        d.Preemables = 5;
        d.IsPrimary = true;
        return d;
    }

    TTXRXInfo longFrame() const
    {
        TTXRXInfo d;
        d.FactoryID = 0x60;
        d.DeviceTypeID = 0x51;
        d.DeviceID_HI = 0x01;
        d.DeviceID_MID = 0x23;
        d.DeviceID_LO = 0x45;
        d.Preemables = 5;
        d.IsPrimary = true;
        d.IsLongAddress = true;
        return d;
    }

    TFrameError readParam(quint8 number, THART_RdWrParam& r)
    {
        TTXRXInfo d = longFrame();
        r = {};
        r.pnum = number;
        engine->HART_RdParam(d, r);
        return d.FrameError;
    }

    bool logHas(const QString& text) const
    {
        for (const QString& line : log)
            if (line.contains(text)) return true;
        return false;
    }

    void TearDown() override
    {
        engine.reset();
        transmitter.reset();
    }

    std::unique_ptr<TVirtualTransmitter> transmitter;
    std::unique_ptr<TCOMEngine> engine;
    test::TRecordingFeedback feedback;
    QString port;
    QStringList log;
};

TEmulatorConfig handLogger(TEmuProtocol protocol)
{
    TEmulatorConfig c;
    c.protocol = protocol;
    c.pages = 1;
    for (const auto& r : test::presetRows<TLogRowBytes>()) c.presetRows.push_back(r);
    c.fixedLive = TLiveValues{};
    return c;
}

} // namespace

TEST_F(EngineOnEmulator, HartIdentificationAtAPollingAddress)
{
    TEmulatorConfig c;
    c.pollingAddress = 3;
    start(c, prt_HART);
    engine->SetMaxRetrycount(0);
    THART_UniqueID id{};
    TTXRXInfo other = shortFrame(2);
    engine->HART_RdUniqueID(other, id);
    EXPECT_EQ(other.FrameError, FRERR_NOFRAME);
    TTXRXInfo mine = shortFrame(3);
    engine->HART_RdUniqueID(mine, id);
    ASSERT_EQ(mine.FrameError, FRERR_OK);
    EXPECT_EQ(hexOf(id), "FE 60 51 05 05 01 0C 03 00 01 23 45 00 00 00 00");
    const TTransmitterStats s = transmitter->stats();
    EXPECT_EQ(s.hartCount(0, 2), 1);
    EXPECT_EQ(s.hartCount(0, 3), 1);
    // The request as the engine framed it.
    EXPECT_EQ(hexOf(s.recentRequests.back()), "FF FF FF FF FF 02 83 00 00 81");
}

TEST_F(EngineOnEmulator, LongFrameParametersRemoteModeAndClock)
{
    start(handLogger(TEmuProtocol::Hart), prt_HART);
    THART_RdWrParam p{};
    ASSERT_EQ(readParam(98, p), FRERR_OK);
    EXPECT_EQ(hexOf(p), "00 00 40 05 62 01 00 46 40 E4 00");

    // Writing needs remote programming: refused first, accepted after the code.
    TTXRXInfo d = longFrame();
    THART_RdWrParam w{};
    w.pnum = 35;
    SingleToWire(600.0f, w.value);
    engine->HART_WrParam(d, w);
    EXPECT_EQ(d.FrameError, FERR_HARTDEVICE);
    THART_EnterExit e{};
    writeBE16(e.upsw, 23610);
    e.mode = 1;
    d = longFrame();
    engine->HART_EnterExit(d, e);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(hexOf(e.es), "00 00 40 15");
    d = longFrame();
    engine->HART_WrParam(d, w);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(hexOf(w), "00 00 40 15 23 00 33 44 16 00 00");
    EXPECT_EQ(transmitter->parameter(35), 600.0f);

    // The clock: set through command 166, read back through the parameters.
    THART_RTC_RdWrRTC rtc{};
    std::memcpy(&rtc, hexBytes("07 DF 06 1E 17 3B 3A").constData(), 7); // 2015-06-30 23:59:58
    d = longFrame();
    engine->HART_RTC_WrRTC(d, rtc);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(hexOf(rtc).substr(0, 14), "07 DF 06 1E 17");
    ASSERT_EQ(readParam(38, p), FRERR_OK);
    EXPECT_EQ(SwapSingle(p.value), 630.0f);
    EXPECT_EQ(transmitter->clock().date(), QDate(2015, 6, 30));
}

TEST_F(EngineOnEmulator, RecordReadsWalkTheLoggerToItsTop)
{
    TEmulatorConfig c;
    c.pages = 2;
    c.rows = 10;
    start(c, prt_HART);
    TTXRXInfo d = longFrame();
    THART_LOG_OpenClose open{};
    open.mode = 1;
    engine->HART_LOG_OpenClose(d, open);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(hexOf(open.lstat), "40 00 0A 00 00");
    const auto rows = transmitter->loggerRows();
    for (int i = 0; i < 10; ++i) {
        THART_LOG_RdRecord r{};
        r.mode = i == 0 ? 0 : 1;
        d = longFrame();
        engine->HART_LOG_RdRecord(d, r);
        ASSERT_EQ(d.FrameError, FRERR_OK) << i;
        EXPECT_EQ(std::memcmp(&r.row, rows[size_t(i)].data(), 44), 0) << i;
        EXPECT_EQ(readBE16(r.lstat.pos), i);
        EXPECT_EQ(r.lstat.status, i == 0 ? 0x40 : i == 9 ? 0x80 : 0x00) << i;
    }
}

TEST_F(EngineOnEmulator, FastLayoutDataAndPageRead)
{
    start(handLogger(TEmuProtocol::Fast), prt_MODE3);
    TTXRXInfo d;
    THART_LOG_RdLFData lf{};
    engine->FAST_LOG_RdLFData(d, lf);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(hexOf(lf), "00 00 40 05 03 00 0C 00 00 0C 05 DC 0C 05 DC 00 00 00 00 00 00 01 06");

    TFAST_LOG_RdPage page{};
    writeBE16(page.wrpageindex, 0);
    d = {};
    engine->FAST_LOG_RdPage(d, page);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    std::string expected = "00 00 00 00 40 05 00 00";
    for (const char* row : test::kPageRows) expected += std::string(" ") + row;
    for (int i = 0; i < 3 * 44; ++i) expected += " FF";
    EXPECT_EQ(hexOf(page), expected);
}

TEST_F(EngineOnEmulator, FastPagesOfAFullRingCarryTheirIndex)
{
    TEmulatorConfig c;
    c.protocol = TEmuProtocol::Fast;
    start(c, prt_MODE3);
    TFAST_LOG_RdPage page{};
    writeBE16(page.wrpageindex, 0x0102);
    TTXRXInfo d;
    engine->FAST_LOG_RdPage(d, page);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(readBE16(page.rdpageindex), 0x0102);
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(LogRowChecksumOk(reinterpret_cast<const quint8*>(&page.rows[i])));
        EXPECT_EQ(readLE16(page.rows[i].index), 0x0102 * 6 + i); // page rows: low byte first
    }
    EXPECT_EQ(std::memcmp(&page.rows, transmitter->loggerPage(0x0102).data(), sizeof page.rows), 0);
}

TEST_F(EngineOnEmulator, TavixSwitchesTheTransmitterToHart)
{
    TEmulatorConfig c;
    c.adapter = TEmuAdapter::Usb;
    c.protocol = TEmuProtocol::Fast;
    start(c, prt_HART, adt_USB);
    engine->Tavix().SetTimeScale(0.05);
    engine->SetMaxRetrycount(0);
    THART_UniqueID id{};
    TTXRXInfo d = shortFrame(0);
    engine->HART_RdUniqueID(d, id);
    EXPECT_EQ(d.FrameError, FRERR_NOFRAME); // still in FAST mode: the HART request is not heard
    ASSERT_TRUE(engine->SendAdapterMode());
    EXPECT_EQ(transmitter->protocol(), TEmuProtocol::Hart);
    EXPECT_EQ(transmitter->stats().adapterCommands.at(0x3034), 1);
    d = shortFrame(0);
    engine->HART_RdUniqueID(d, id);
    EXPECT_EQ(d.FrameError, FRERR_OK);
}

TEST_F(EngineOnEmulator, IrDASwitchesTheTransmitterToFastInBothVariants)
{
    for (TIrDAAdapterType variant : {iratype_RS232, iratype_TAMBO}) {
        SCOPED_TRACE(int(variant));
        TEmulatorConfig c;
        c.adapter = TEmuAdapter::IrDA;
        c.protocol = TEmuProtocol::Hart;
        start(c, prt_MODE3, adt_IrDA);
        engine->IrDAAdapterType = variant;
        engine->SetAdapterDelayStep(1);
        engine->IrDA().SetTimeScale(0.05);
        ASSERT_TRUE(engine->SendAdapterMode());
        EXPECT_EQ(transmitter->protocol(), TEmuProtocol::Fast);
        EXPECT_EQ(transmitter->stats().wakeUps, 1);
        TFAST_RDMEAS m{};
        TTXRXInfo d;
        engine->FAST_RDMEAS(d, m);
        EXPECT_EQ(d.FrameError, FRERR_OK);
        EXPECT_EQ(m.PVunitcode, 24);
        TearDown();
    }
}

TEST_F(EngineOnEmulator, HartFaultsTakeTheirPaths)
{
    struct Case
    {
        const char* faults;
        TFrameError result;
        int requests;    // the transmitter heard this many
        int errorCount;  // the engine counted this many
        const char* logged;
    } cases[] = {
        {"chk", FRERR_OK, 2, 1, "RETRY: Retry:1/2"},
        {"addr", FRERR_SADDR, 1, 0, nullptr},
        {"drop=*", FRERR_NOFRAME, 3, 0, "ERR: Maximum retrycount reached! No frame detected!"},
        {"wp", FERR_HARTDEVICE, 1, 1, "FAILURE: Device Error: Response Code: IN WRITE-PROTECT MODE."},
        {"busy", FERR_HARTDEVICE, 1, 1, "FAILURE: Device Error: Response Code: DEVICE IS BUSY."},
        {"delay=1:400", FRERR_OK, 2, 0, "RETRY: Retry:1/2"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.faults);
        TEmulatorConfig c;
        c.faults = *TFaultPlan::parse(QString::fromLatin1(k.faults));
        start(c, prt_HART);
        engine->SetMaxRetrycount(2);
        THART_UniqueID id{};
        TTXRXInfo d = shortFrame(0);
        engine->HART_RdUniqueID(d, id);
        EXPECT_EQ(d.FrameError, k.result);
        WaitFor(200); // a retry the engine should not send would come within this
        EXPECT_EQ(transmitter->stats().hartCount(0, 0), k.requests);
        EXPECT_EQ(int(engine->ErrorCount()), k.errorCount);
        if (k.logged) {
            EXPECT_TRUE(logHas(QString::fromLatin1(k.logged))) << qPrintable(log.join('\n'));
        }
        TearDown();
        log.clear();
    }
}

TEST_F(EngineOnEmulator, FastDroppedRepliesEndWithoutAFrame)
{
    TEmulatorConfig c;
    c.protocol = TEmuProtocol::Fast;
    c.faults = *TFaultPlan::parse(QStringLiteral("drop=*"));
    start(c, prt_MODE3);
    engine->SetMaxRetrycount(1);
    TFAST_RDMEAS m{};
    TTXRXInfo d;
    engine->FAST_RDMEAS(d, m);
    EXPECT_EQ(d.FrameError, FRERR_NOFRAME);
    EXPECT_EQ(transmitter->stats().fastCount(0), 2);
}

TEST_F(EngineOnEmulator, UnpluggedLineFailsClearlyAndQuickly)
{
    TEmulatorConfig c;
    c.faults = *TFaultPlan::parse(QStringLiteral("unplug=2"));
    start(c, prt_HART);
    THART_UniqueID id{};
    TTXRXInfo d = shortFrame(0);
    engine->HART_RdUniqueID(d, id);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    QElapsedTimer t;
    t.start();
    d = shortFrame(0);
    engine->HART_RdUniqueID(d, id);
    // The port reports the line gone; the transaction ends at once instead of retrying.
    EXPECT_EQ(d.FrameError, FERR_INTERFACE);
    EXPECT_LT(t.elapsed(), 3000);
    EXPECT_TRUE(logHas(QStringLiteral("IO Error detected!"))) << qPrintable(log.join('\n'));
    EXPECT_FALSE(transmitter->lineOpen());
    WaitUntil([this] { return !engine->Connected(); }, 2000);
    EXPECT_FALSE(engine->Connected());
    d = shortFrame(0);
    engine->HART_RdUniqueID(d, id);
    EXPECT_EQ(d.FrameError, FERR_INTERFACE);
}

TEST_F(EngineOnEmulator, PacedRepliesTakeTheirLineTime)
{
    TEmulatorConfig c;
    c.pace = true;
    c.turnaroundMs = 0;
    start(c, prt_HART);
    QElapsedTimer t;
    t.start();
    THART_UniqueID id{};
    TTXRXInfo d = shortFrame(0);
    engine->HART_RdUniqueID(d, id);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    // 10 request and 28 reply bytes of 11 bits at 1200 baud.
    EXPECT_GE(t.elapsed(), 38 * 11 * 1000 / 1200);
}

TEST_F(EngineOnEmulator, ChunkedRepliesWithGapsBelowTheByteGapArriveWhole)
{
    TEmulatorConfig c;
    c.chunkBytes = 7;
    c.chunkGapMs = 20; // the byte gap here is 40 ms
    start(c, prt_HART);
    THART_UniqueID id{};
    TTXRXInfo d = shortFrame(0);
    engine->HART_RdUniqueID(d, id);
    ASSERT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(hexOf(id), "FE 60 51 05 05 01 0C 03 00 01 23 45 00 00 00 00");
    EXPECT_EQ(engine->ErrorCount(), 0u);
}

TEST_F(EngineOnEmulator, ALateReplyDuringTheAdapterSwitchStartsNoSecondSwitch)
{
    // The first measurement is answered 300 ms late, after the engine gave up on it and
    // while it puts the USB adapter back into FAST mode.
    TEmulatorConfig c;
    c.adapter = TEmuAdapter::Usb;
    c.protocol = TEmuProtocol::Fast;
    c.faults = *TFaultPlan::parse(QStringLiteral("delay/0=1:300"));
    start(c, prt_MODE3, adt_USB);
    engine->SetMaxRetrycount(0);
    TFAST_RDMEAS m{};
    TTXRXInfo d;
    engine->FAST_RDMEAS(d, m);
    WaitFor(400); // the late reply has come by now
    // The late bytes may spoil the adapter's first answer (then it asks again, inside the
    // same switch), but they never start a switch inside the switch.
    EXPECT_EQ(feedback.mostOpen, 1) << qPrintable(log.join('\n'));
    EXPECT_GE(transmitter->stats().adapterCommands.at(0x3035), 1);
    EXPECT_FALSE(logHas(QStringLiteral("ERR: Adapter mode switch already running; not started again.")));
    EXPECT_TRUE(feedback.errors.isEmpty());
    EXPECT_EQ(transmitter->protocol(), TEmuProtocol::Fast);
    d = TTXRXInfo();
    engine->FAST_RDMEAS(d, m);
    EXPECT_EQ(d.FrameError, FRERR_OK) << "the port is back at the FAST settings";
    EXPECT_EQ(m.PVunitcode, 24);
    EXPECT_EQ(transmitter->stats().adapterCommands.size(), 1u);
}
