// The settings file: defaults, the adapter code mapping, where it is read and written,
// whole port names, values out of range and a file that cannot be written.
#include "comengine.h"
#include "fakeserialport.h"
#include "recordingfeedback.h"
#include "profileini.h"
#include "settingsfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quentry;
using quentry::test::TFakeSerialPort;
using quentry::test::TRecordingFeedback;

namespace {

struct SettingsFixture : ::testing::Test
{
    QTemporaryDir root;
    TSettingsLocation location;
    TFakeSerialPort* port = nullptr;
    std::unique_ptr<TCOMEngine> engine;
    TRecordingFeedback feedback;

    SettingsFixture()
    {
        location.siteDir = root.filePath("meres");
        location.fallbackDir = root.filePath("exe");
        QDir(root.path()).mkdir("exe");
        NewEngine();
    }
    void NewEngine()
    {
        engine.reset();
        auto p = std::make_unique<TFakeSerialPort>();
        port = p.get();
        engine = std::make_unique<TCOMEngine>(nullptr, std::move(p));
    }
    void WriteIni(const QString& dir, const QByteArray& text)
    {
        QDir().mkpath(dir);
        QFile f(QDir(dir).filePath("Quentry.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    QByteArray ReadIni(const QString& dir)
    {
        QFile f(QDir(dir).filePath("Quentry.ini"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    bool Opened() const
    {
        for (const auto& e : port->events())
            if (e.kind == TFakeSerialPort::Kind::Open) return true;
        return false;
    }
};

} // namespace

TEST_F(SettingsFixture, NoFileGivesTheDefaultsAndOpensPortOne)
{
    const TComSetupValues dialog = LoadSettings(*engine, location);
    EXPECT_EQ(engine->Protokoll(), prt_HART);
    EXPECT_EQ(engine->Adapter(), adt_None);
    EXPECT_EQ(engine->IrDAAdapterType, iratype_RS232);
    EXPECT_EQ(engine->Time_ByteGap(), 150u);
    EXPECT_TRUE(Opened());
    EXPECT_EQ(engine->PortName(), "COM1");
    EXPECT_EQ(dialog.Protokoll, prt_HART);
    EXPECT_EQ(dialog.AdapterCode, 0);
    EXPECT_EQ(dialog.IrDAAdapter, 0);
    EXPECT_EQ(dialog.CycleTime, 150);
}

TEST_F(SettingsFixture, AdapterThreeIsIrdaTamboBothWays)
{
    WriteIni(location.fallbackDir, "[Main]\r\nAdapter=3\r\nIrDAAdapter=0\r\nProtocol=1\r\nTimeOut=300\r\nComPort=4\r\n");
    const TComSetupValues dialog = LoadSettings(*engine, location, false);
    EXPECT_EQ(engine->Adapter(), adt_IrDA);
    EXPECT_EQ(engine->IrDAAdapterType, iratype_TAMBO);
    EXPECT_EQ(engine->Protokoll(), prt_MODE3);
    EXPECT_EQ(engine->Time_ByteGap(), 300u);
    EXPECT_FALSE(Opened()) << "openPort = false";
    EXPECT_EQ(dialog.AdapterCode, 3);
    EXPECT_EQ(dialog.IrDAAdapter, 0) << "the dialog shows the file's value";
    EXPECT_EQ(dialog.Protokoll, prt_MODE3);

    ASSERT_TRUE(SaveSettings(*engine, location, feedback));
    EXPECT_EQ(ReadSettingsFile(QDir(location.fallbackDir).filePath("Quentry.ini")).Adapter, 3);

    // The engine's IrDA variant follows "Adapter", whatever "IrDAAdapter" holds.
    WriteIni(location.fallbackDir, "[Main]\r\nAdapter=2\r\nIrDAAdapter=1\r\n");
    NewEngine();
    const TComSetupValues again = LoadSettings(*engine, location, false);
    EXPECT_EQ(engine->Adapter(), adt_IrDA);
    EXPECT_EQ(engine->IrDAAdapterType, iratype_RS232);
    EXPECT_EQ(again.IrDAAdapter, 1);
    EXPECT_EQ(AdapterCodeOf(*engine), 2);
}

TEST_F(SettingsFixture, AnAdapterDecidesTheProtocolWhenTheFileDisagrees)
{
    struct Case { const char* ini; TProtokoll protocol; };
    const Case cases[] = {
        {"[Main]\r\nAdapter=0\r\nProtocol=0\r\n", prt_HART},
        {"[Main]\r\nAdapter=1\r\nProtocol=0\r\n", prt_MODE3},
        {"[Main]\r\nAdapter=2\r\nProtocol=0\r\n", prt_MODE3},
        {"[Main]\r\nAdapter=3\r\nProtocol=0\r\n", prt_MODE3},
    };
    int n = 0;
    for (const Case& c : cases) {
        // A directory per case: files of one size written within a second look unchanged
        // to the settings reader's cache.
        location.fallbackDir = root.filePath(QStringLiteral("exe%1").arg(++n));
        WriteIni(location.fallbackDir, c.ini);
        NewEngine();
        const TComSetupValues dialog = LoadSettings(*engine, location, false);
        EXPECT_EQ(engine->Protokoll(), c.protocol) << c.ini;
        EXPECT_EQ(dialog.Protokoll, c.protocol) << c.ini;
    }
}

TEST_F(SettingsFixture, OpenComAtStartZeroLeavesThePortClosed)
{
    WriteIni(location.fallbackDir, "[Main]\nOpenComAtStart=0\nComPort=3\n");
    LoadSettings(*engine, location);
    EXPECT_FALSE(Opened());
    WriteIni(location.fallbackDir, "[Main]\nOpenComAtStart=2\nComPort=259\n");
    NewEngine();
    LoadSettings(*engine, location);
    EXPECT_TRUE(Opened());
    EXPECT_EQ(engine->PortName(), "COM3") << "the low byte of ComPort";
}

TEST_F(SettingsFixture, SiteDirectoryWithoutAFileIsWrittenAtCloseAndReadLater)
{
    WriteIni(location.fallbackDir, "[Main]\nTimeOut=400\nOpenComAtStart=0\n");
    QDir().mkpath(location.siteDir);
    EXPECT_EQ(location.ReadPath(), QDir(location.fallbackDir).filePath("Quentry.ini"));
    EXPECT_EQ(location.WritePath(), QDir(location.siteDir).filePath("Quentry.ini"));
    LoadSettings(*engine, location);
    EXPECT_EQ(engine->Time_ByteGap(), 400u);

    engine->SetPort(7); // the port used during the run, not the one read at start
    ASSERT_TRUE(SaveSettings(*engine, location, feedback));
    const QByteArray ini = ReadIni(location.siteDir);
    EXPECT_TRUE(ini.contains("[Main]"));
    EXPECT_TRUE(ini.contains("ComPort=7"));
    EXPECT_TRUE(ini.contains("TimeOut=400"));
    EXPECT_TRUE(ini.contains("Protocol=0"));
    EXPECT_TRUE(ini.contains("Adapter=0"));
    EXPECT_FALSE(ini.contains("ComPortName"));
    EXPECT_EQ(location.ReadPath(), QDir(location.siteDir).filePath("Quentry.ini"));
}

TEST_F(SettingsFixture, KeysTheProgramNeverWritesStayAsTheyWere)
{
    WriteIni(location.fallbackDir, "[Main]\nOpenComAtStart=0\nIrDAAdapter=1\nComPort=2\n[Other]\nx=y\n");
    LoadSettings(*engine, location);
    engine->SetPort(5);
    ASSERT_TRUE(SaveSettings(*engine, location, feedback));
    const TStoredSettings s = ReadSettingsFile(location.ReadPath());
    EXPECT_FALSE(s.OpenComAtStart);
    EXPECT_EQ(s.IrDAAdapter, 1);
    EXPECT_EQ(s.ComPort, 5);
    EXPECT_TRUE(ReadIni(location.fallbackDir).contains("x=y"));
}

TEST_F(SettingsFixture, AWholePortNameTravelsInItsOwnKey)
{
    engine->SetPortName(QStringLiteral("/dev/pts/9"));
    ASSERT_TRUE(SaveSettings(*engine, location, feedback));
    const TStoredSettings s = ReadSettingsFile(location.ReadPath());
    EXPECT_EQ(s.ComPort, 1);
    EXPECT_EQ(s.ComPortName, "/dev/pts/9");

    NewEngine();
    LoadSettings(*engine, location);
    EXPECT_TRUE(Opened());
    EXPECT_EQ(engine->PortName(), "/dev/pts/9");

    // Back on a COM port: the extra key goes away again.
    engine->SetPort(2);
    ASSERT_TRUE(SaveSettings(*engine, location, feedback));
    EXPECT_FALSE(ReadIni(location.fallbackDir).contains("ComPortName"));
}

TEST_F(SettingsFixture, QuickRepliesAreOffUnlessTheKeySaysOneAndTheKeyGoesWhenOff)
{
    WriteIni(location.fallbackDir, "[Main]\nOpenComAtStart=0\n");
    EXPECT_FALSE(LoadSettings(*engine, location).QuickReplies);
    EXPECT_FALSE(engine->QuickReplies()) << "absent means off";

    WriteIni(location.fallbackDir, "[Main]\nOpenComAtStart=0\nQuickReplies=1\n");
    NewEngine();
    EXPECT_TRUE(LoadSettings(*engine, location).QuickReplies);
    EXPECT_TRUE(engine->QuickReplies());
    ASSERT_TRUE(SaveSettings(*engine, location, feedback));
    EXPECT_TRUE(ReadIni(location.fallbackDir).contains("QuickReplies=1"));

    engine->SetQuickReplies(false);
    ASSERT_TRUE(SaveSettings(*engine, location, feedback));
    EXPECT_FALSE(ReadIni(location.fallbackDir).contains("QuickReplies"));
    NewEngine();
    LoadSettings(*engine, location);
    EXPECT_FALSE(engine->QuickReplies());
}

TEST_F(SettingsFixture, TheSiteHistoryKeysAreReadAndKeptAtClose)
{
    EXPECT_EQ(ReadSettingsFile(location.ReadPath()).ClockWarnSeconds, 60);
    WriteIni(location.fallbackDir, "[Main]\nOpenComAtStart=0\nHistoryFile=records/site.sqlite\nClockWarnSeconds=30\n");
    TStoredSettings s = ReadSettingsFile(location.ReadPath());
    EXPECT_EQ(s.HistoryFile, "records/site.sqlite");
    EXPECT_EQ(s.ClockWarnSeconds, 30);
    LoadSettings(*engine, location, false);
    ASSERT_TRUE(SaveSettings(*engine, location, feedback));
    s = ReadSettingsFile(location.ReadPath());
    EXPECT_EQ(s.HistoryFile, "records/site.sqlite");
    EXPECT_EQ(s.ClockWarnSeconds, 30);
    WriteIni(location.fallbackDir, "[Main]\nClockWarnSeconds=-5\n");
    EXPECT_EQ(ReadSettingsFile(location.ReadPath()).ClockWarnSeconds, 60);
}

TEST_F(SettingsFixture, ValuesOutOfRangeTakeTheirDefaults)
{
    WriteIni(location.fallbackDir,
             "[Main]\nProtocol=9\nAdapter=7\nIrDAAdapter=5\nTimeOut=abc\nComPort=x\nOpenComAtStart=no\n");
    const TStoredSettings s = ReadSettingsFile(location.ReadPath());
    EXPECT_EQ(s.Protocol, 0);
    EXPECT_EQ(s.Adapter, 0);
    EXPECT_EQ(s.IrDAAdapter, 0);
    EXPECT_EQ(s.TimeOut, 150);
    EXPECT_EQ(s.ComPort, 1);
    EXPECT_TRUE(s.OpenComAtStart);

    WriteIni(location.fallbackDir, "[Main]\nTimeOut=70000\n"); // 16 bits: 4464
    LoadSettings(*engine, location, false);
    EXPECT_EQ(engine->Time_ByteGap(), 4464u);
}

TEST_F(SettingsFixture, ValuesAreTextNeverDeserializedAndKeysIgnoreCase)
{
    // A few bytes that QSettings' own INI reader would turn into a request for gigabytes.
    WriteIni(location.fallbackDir, QByteArray::fromBase64("W01haW5dClByb3RvY29sPUBWYXJpYW50KFwwXDBcMFxOMTBfX2N4eGFiaXYpCltHZW5lcv8="));
    EXPECT_EQ(ReadSettingsFile(location.ReadPath()).Protocol, 0);
    WriteIni(location.fallbackDir, "; written by hand\r\n[main]\r\ncomport = 6\r\nTIMEOUT=250\r\nProtocol=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x1)\r\n");
    const TStoredSettings s = ReadSettingsFile(location.ReadPath());
    EXPECT_EQ(s.ComPort, 6);
    EXPECT_EQ(s.TimeOut, 250);
    EXPECT_EQ(s.Protocol, 0);

    engine->SetPort(6);
    ASSERT_TRUE(SaveSettings(*engine, location, feedback));
    const QByteArray ini = ReadIni(location.fallbackDir);
    EXPECT_TRUE(ini.contains("[Main]\r\n")) << ini.constData();
    EXPECT_TRUE(ini.contains("ComPort=6\r\n")) << ini.constData();
    EXPECT_EQ(ini.toLower().count("comport="), 1) << "one key, not one per spelling";

    WriteIni(location.fallbackDir, QByteArray(kMaxProfileIniSize + 10, '\n'));
    EXPECT_EQ(ReadSettingsFile(location.ReadPath()).TimeOut, 150) << "an oversized file is not read";
}

TEST_F(SettingsFixture, AFileThatCannotBeWrittenIsReportedOnce)
{
    QFile blocker(root.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    location.siteDir.clear();
    location.fallbackDir = root.filePath("blocker/sub"); // below a plain file: no directory can be made
    EXPECT_FALSE(SaveSettings(*engine, location, feedback));
    ASSERT_EQ(feedback.errors.size(), 1);
    EXPECT_TRUE(feedback.errors[0].startsWith("Settings could not be saved to ")) << feedback.errors[0].toStdString();
}

TEST(SettingsLocation, SiteDirectoryFromTheEnvironmentElseNone)
{
#ifndef Q_OS_WIN
    qputenv(TSettingsLocation::kSiteDirVariable, "/srv/quentry-site");
    EXPECT_EQ(TSettingsLocation::Default().siteDir, "/srv/quentry-site");
    qunsetenv(TSettingsLocation::kSiteDirVariable);
    const TSettingsLocation l = TSettingsLocation::Default();
    EXPECT_TRUE(l.siteDir.isEmpty());
    EXPECT_TRUE(l.fallbackDir.endsWith("/Quentry"));
    EXPECT_EQ(l.WritePath(), l.fallbackDir + "/Quentry.ini");
#endif
}
