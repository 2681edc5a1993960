// quentry-cli as a user runs it: each subcommand against the virtual transmitter (in the
// tool with --demo, or in this process with --port), exit status and message of each
// failure, and conversions identical to the exports of a read.
#include "pdftext.h"
#include "virtualtransmitter.h"

#include <QCryptographicHash>

#include <QDir>
#include <QElapsedTimer>
#include <QMap>
#include <QThread>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quentry::emulator;

namespace {

struct TRun
{
    int exit = -1;
    QString out, err;
};

TRun run(const QStringList& args, const QByteArray& input = {})
{
    QProcess p;
    p.setProgram(QStringLiteral(QUENTRY_CLI_PROGRAM));
    p.setArguments(args);
    p.start();
    if (!input.isEmpty()) p.write(input);
    p.closeWriteChannel();
    TRun r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        r.err = "timed out";
        return r;
    }
    r.exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

QJsonObject json(const TRun& r) { return QJsonDocument::fromJson(r.out.toUtf8()).object(); }

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class CliTest : public ::testing::Test
{
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    // A transmitter in this process, so several runs of the tool see the same device.
    QStringList startTransmitter(TEmulatorConfig c = {})
    {
        c.rows = 40;
        transmitter = std::make_unique<TVirtualTransmitter>(c);
        const QString port = transmitter->start();
        EXPECT_FALSE(port.isEmpty());
        return {"--port", port, "--protocol", c.protocol == TEmuProtocol::Fast ? "fast" : "hart", "--cycle", "20",
                "--settings", settingsFile()};
    }
    // A settings file of the defaults, whatever this machine's own settings say, with a site
    // history of this test's own.
    QString settingsFile()
    {
        QFile f(path("Quentry.ini"));
        if (!f.exists() && f.open(QIODevice::WriteOnly)) f.write("[Main]\nHistoryFile=history.sqlite\n");
        return f.fileName();
    }

    QTemporaryDir dir;
    std::unique_ptr<TVirtualTransmitter> transmitter;
};

} // namespace

TEST_F(CliTest, HelpAndUsageErrors)
{
    const TRun help = run({"--help"});
    EXPECT_EQ(help.exit, 0);
    EXPECT_TRUE(help.out.contains("read [--new] [--out FILE.img]"));
    EXPECT_EQ(run({"read", "--help"}).exit, 0);
    const TRun ports = run({"ports", "--json"});
    EXPECT_EQ(ports.exit, 0);
    EXPECT_TRUE(json(ports).value("ports").isArray());
    const struct { QStringList args; const char* message; } cases[] = {
        {{}, "no command given"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"read", "--no-history"}, "read --no-history wants --out FILE.img"},
        {{"detect", "--protocol", "modbus"}, "unknown protocol 'modbus'"},
        {{"detect", "--cycle", "x"}, "--cycle wants a number"},
        {{"info", "--yes", "a.img"}, "option --yes does not belong to 'info'"},
        {{"rtc", "set", "yesterday"}, "rtc set wants a date and time"},
        {{"config", "set", "9", "0", "0", "0", "0"}, "argument 1 must be a whole number from 0 to 5"},
        {{"decode", "row", "0102"}, "a logger row has 44 bytes, not 2"},
        {{"clear"}, "needs --yes when there is no terminal"},
    };
    for (const auto& c : cases) {
        const TRun r = run(c.args);
        EXPECT_EQ(r.exit, 2) << qPrintable(c.args.join(' '));
        EXPECT_TRUE(r.err.contains(c.message)) << qPrintable(r.err);
    }
}

TEST_F(CliTest, DemoReadWritesEveryFileAndConvertMatchesIt)
{
    const TRun read = run({"--demo", "--demo-rows", "150", "read", "--out", path("a.img"), "--ascii", path("a.txt"),
                           "--dbf", path("a.dbf"), "--csv", path("a.csv"), "--settings", settingsFile()});
    ASSERT_EQ(read.exit, 0) << qPrintable(read.err);
    EXPECT_TRUE(read.err.contains("Result: 150 record(s) readed.")) << qPrintable(read.err);
    EXPECT_EQ(contents(path("a.img")).size(), 4 + 457 * 150);

    const TRun convert = run({"convert", path("a.img"), "--ascii", path("b.txt"), "--dbf", path("b.dbf"), "--csv",
                              path("b.csv")});
    ASSERT_EQ(convert.exit, 0) << qPrintable(convert.err);
    EXPECT_EQ(contents(path("b.txt")), contents(path("a.txt")));
    EXPECT_EQ(contents(path("b.csv")), contents(path("a.csv")));
    EXPECT_EQ(contents(path("b.dbf")), contents(path("a.dbf")));
    EXPECT_EQ(contents(path("a.txt")).count("\r\n"), 150);
    EXPECT_TRUE(contents(path("a.csv")).startsWith("recdatetim,recindex,eventstr,event,PV,"));

    const TRun info = run({"info", path("a.img"), "--json"});
    ASSERT_EQ(info.exit, 0);
    EXPECT_EQ(json(info).value("rows").toInt(), 150);
    EXPECT_FALSE(json(info).value("first").toString().isEmpty());
}

TEST_F(CliTest, DeviceCommandsAgainstOneTransmitter)
{
    TEmulatorConfig c;
    c.pollingAddress = 1; // found after one silent address (three sends)
    const QStringList link = startTransmitter(c);

    const TRun detect = run(QStringList{"detect", "--json"} + link);
    ASSERT_EQ(detect.exit, 0) << qPrintable(detect.err);
    EXPECT_EQ(json(detect).value("pollingAddress").toInt(), 1);
    EXPECT_TRUE(json(detect).value("loggerPresent").toBool());

    const TRun set = run(QStringList{"rtc", "set", "2015-06-30T23:59"} + link);
    ASSERT_EQ(set.exit, 0) << qPrintable(set.err);
    const TRun get = run(QStringList{"rtc", "get", "--json"} + link);
    EXPECT_EQ(json(get).value("clock").toString(), QString("2015-06-30 23:59"));

    ASSERT_EQ(run(QStringList{"config", "set", "4", "2", "1", "40", "60"} + link).exit, 0);
    const TRun config = run(QStringList{"config", "get", "--json"} + link);
    EXPECT_EQ(json(config).value("loggerMode").toInt(), 4);
    EXPECT_EQ(json(config).value("value2").toDouble(), 60.0);
    EXPECT_EQ(transmitter->parameter(34).value_or(0), 124.0f);

    const TRun read = run(QStringList{"read", "--out", path("t.img"), "--log", path("t.log")} + link);
    ASSERT_EQ(read.exit, 0) << qPrintable(read.err);
    EXPECT_TRUE(contents(path("t.log")).contains("Sending Command: 164"));

    ASSERT_EQ(run(QStringList{"clear", "--yes"} + link).exit, 0);
    EXPECT_EQ(transmitter->loggerState().total, 0);
    const TRun empty = run(QStringList{"read", "--out", path("e.img")} + link);
    EXPECT_EQ(empty.exit, 1);
    EXPECT_FALSE(QFile::exists(path("e.img")));
}

TEST_F(CliTest, FailuresSayWhy)
{
    const TRun noPort = run({"detect", "--port", "/dev/quentry-missing", "--settings", settingsFile()});
    EXPECT_EQ(noPort.exit, 1);
    EXPECT_TRUE(noPort.err.contains(QRegularExpression(
        "quentry-cli: /dev/quentry-missing is not present; (ports found: .+|no serial ports found)\n")))
        << qPrintable(noPort.err);

    const TRun unwritable = run({"--demo", "read", "--out", "/quentry-no-dir/x.img"});
    EXPECT_EQ(unwritable.exit, 1);
    EXPECT_TRUE(unwritable.err.contains("directory /quentry-no-dir does not exist")) << qPrintable(unwritable.err);

    QFile bad(path("bad.img"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray::fromHex("02000000") + QByteArray(457 + 100, 'x'));
    bad.close();
    const TRun badImage = run({"info", path("bad.img")});
    EXPECT_EQ(badImage.exit, 1);
    EXPECT_TRUE(badImage.err.contains("Crc Error! Aborted!")) << qPrintable(badImage.err);
    EXPECT_TRUE(badImage.err.contains("is not a usable log image")) << qPrintable(badImage.err);

    TEmulatorConfig fast;
    fast.protocol = TEmuProtocol::Fast; // a silent FAST device is given up on sooner than 16 polling addresses
    const QStringList link = startTransmitter(fast);
    const TRun adapter = run(QStringList{"detect", "--adapter", "usb"} + link);
    EXPECT_EQ(adapter.exit, 1);
    EXPECT_TRUE(adapter.err.contains("the communication adapter (usb) does not answer")) << qPrintable(adapter.err);

    transmitter->setFaults(*TFaultPlan::parse("drop=*"));
    const TRun silent = run(QStringList{"detect"} + link);
    EXPECT_EQ(silent.exit, 1);
    EXPECT_TRUE(silent.err.contains("no transmitter answered")) << qPrintable(silent.err);
}

TEST_F(CliTest, DecodeFramesAndRows)
{
    // A logger row of zeros with its check byte, record byte order.
    const QString row = QString(43 * 2, '0') + "87";
    const TRun r = run({"decode", "row", row, "--json"});
    ASSERT_EQ(r.exit, 0) << qPrintable(r.err);
    EXPECT_TRUE(json(r).value("checksumOk").toBool());
    EXPECT_EQ(json(r).value("eventstr").toString(), QString("NOTHING"));
    EXPECT_EQ(json(r).value("datetime").toString(), QString("1900-01-01T00:00:00"));

    // An identity reply to polling address 0, pasted as the log shows it.
    const TRun hart = run({"decode", "hart", "FF FF FF FF FF 06 80 00 12 00 00 FE 26 41 05 05 01 02 03 00 12 34 56 05 06 01 00 01 "});
    EXPECT_EQ(hart.exit, 1) << "this XOR does not check";
    EXPECT_TRUE(hart.out.contains("CHKSUM ERROR"));

    // What a reply carries is the byte count's data, whatever follows its checksum; the
    // response code is shown by number; command 0's identity is taken apart; a request is
    // said to be one.
    const struct
    {
        const char* frame;
        int exit;
        QStringList said;
    } frames[] = {
        {"FFFFFFFFFF 06 80 00 0E 00 00 FE 60 51 05 05 01 02 03 00 01 23 45 20 00", 0,
         {"Data: FE 60 51 05 05 01 02 03 00 01 23 45\n", "Trailing bytes: 00 (after the checksum",
          "Manufacturer: 96\n", "Device type: 81\n", "Preambles wanted: 5\n", "Device id: 74565\n"}},
        {"FFFFFFFFFF 06 80 01 02 01 00 84", 0, {"Response code: 1 (no text for this code)", "Data: (none)"}},
        {"FFFFFFFFFF 86 A0 51 01 23 45 83 02 40 00 D1", 0,
         {"Response code: 64 (COMMAND NOT IMPLEMENTED.)", "Refused: yes"}},
        {"FFFFFFFFFF 02 80 00 00 82", 0, {"This is a request frame (master to device), not a reply.", "Command: 0\n"}},
    };
    for (const auto& k : frames) {
        const TRun d = run({"decode", "hart", k.frame});
        EXPECT_EQ(d.exit, k.exit) << k.frame;
        for (const QString& said : k.said) EXPECT_TRUE(d.out.contains(said)) << qPrintable(said) << "\n" << qPrintable(d.out);
    }
    const TRun refused = run({"decode", "hart", "FFFFFFFFFF 86 A0 51 01 23 45 83 02 40 00 D1", "--json"});
    EXPECT_EQ(json(refused).value("responseCode").toInt(), 64);
    EXPECT_EQ(json(refused).value("data").toString(), QString());

    const TRun fast = run({"decode", "fast", "[00 00 01] [00] B0 51", "--json"});
    EXPECT_EQ(json(fast).value("frame").toString(), QString("CHKSUM ERROR"));
}

TEST_F(CliTest, NothingIsOverwrittenByMistake)
{
    ASSERT_EQ(run({"simulate", "--out", path("site.img"), "--rows", "50"}).exit, 0);
    const QByteArray site = contents(path("site.img"));
    ASSERT_EQ(site.size(), 4 + 457 * 50);
    ASSERT_TRUE(QFile::link(path("site.img"), path("link.img")));
    QDir(dir.path()).mkdir("sub");

    // Outputs that are the input, or each other, however they are spelt.
    const struct { QStringList args; QString clash; } clashes[] = {
        {{"convert", path("site.img"), "--csv", path("site.img")},
         "--csv " + path("site.img") + " would overwrite the input image " + path("site.img")},
        {{"convert", path("link.img"), "--ascii", path("site.img")}, "would overwrite the input image"},
        {{"convert", path("site.img"), "--dbf", path("link.img")}, "would overwrite the input image"},
        {{"convert", path("site.img"), "--csv", path("sub/../site.img")}, "would overwrite the input image"},
        {{"convert", path("site.img"), "--ascii", path("x.txt"), "--csv", path("sub/../x.txt")},
         "--ascii " + path("x.txt") + " and --csv " + path("sub/../x.txt") + " name the same file"},
        {{"--demo", "read", "--out", path("a.img"), "--csv", path("a.img")}, "name the same file"},
        {{"--demo", "read", "--out", path("b.img"), "--log", path("b.img")}, "name the same file"},
        {{"--demo", "read", "--out", path("site.img"), "--settings", path("site.img")},
         "would overwrite the settings file"},
    };
    for (const auto& c : clashes) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const TRun r = run(c.args);
        EXPECT_EQ(r.exit, 1);
        EXPECT_TRUE(r.err.contains(c.clash)) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains("nothing was")) << qPrintable(r.err);
        EXPECT_EQ(contents(path("site.img")), site);
        for (const char* made : {"x.txt", "a.img", "b.img"}) EXPECT_FALSE(QFile::exists(path(made)));
    }

    // What is not a log image says what it is instead.
    QFile(path("empty.img")).open(QIODevice::WriteOnly);
    QFile shortFile(path("short.img"));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(site.left(4 + 457 * 3));
    shortFile.close();
    QByteArray bad = site;
    bad[4 + 457 * 6 + 20] = char(bad[4 + 457 * 6 + 20] ^ 0x10);
    QFile badFile(path("bad.img"));
    ASSERT_TRUE(badFile.open(QIODevice::WriteOnly));
    badFile.write(bad);
    badFile.close();
    const struct { QString file; QString reason; } refusals[] = {
        {dir.path(), "it is a folder"},
        {"/dev/zero", "it is a device file"},
        {path("empty.img"), "the file is empty"},
        {path("short.img"), "the file is too short for its 50 rows: 1375 bytes, 22854 needed"},
        {path("bad.img"), "row 7 of 50 fails its check"},
    };
    for (const auto& k : refusals) {
        SCOPED_TRACE(k.file.toStdString());
        for (const QStringList& args : {QStringList{"info", k.file}, QStringList{"convert", k.file, "--csv", path("r.csv")}}) {
            const TRun r = run(args);
            EXPECT_EQ(r.exit, 1);
            EXPECT_TRUE(r.err.contains(k.file + " is not a usable log image: " + k.reason)) << qPrintable(r.err);
        }
        EXPECT_FALSE(QFile::exists(path("r.csv")));
    }
}

TEST_F(CliTest, AKilledWriteLeavesTheOldFileOrTheNewOneWhole)
{
    ASSERT_EQ(run({"simulate", "--out", path("big.img"), "--rows", "12288"}).exit, 0);
    const QStringList args = {"convert", path("big.img"), "--ascii", path("big.txt"), "--dbf", path("big.dbf"),
                              "--csv", path("big.csv")};
    ASSERT_EQ(run(args).exit, 0);
    QMap<QString, QByteArray> whole;
    for (const char* name : {"big.txt", "big.dbf", "big.csv"}) whole[name] = contents(path(name));

    // Killed at points spread over a run: every file is the old one or the new one, whole.
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(run(args).exit, 0);
    const qint64 runMs = clock.elapsed();
    int killedMidway = 0;
    for (int step = 0; step < 10; ++step) {
        for (const char* name : {"big.txt", "big.dbf", "big.csv"}) {
            QFile f(path(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write("the file from before");
        }
        QProcess p;
        p.start(QStringLiteral(QUENTRY_CLI_PROGRAM), args);
        ASSERT_TRUE(p.waitForStarted(5000));
        QThread::msleep(ulong(runMs * step / 10));
        p.kill();
        p.waitForFinished(5000);
        killedMidway += p.exitStatus() == QProcess::CrashExit ? 1 : 0;
        for (const char* name : {"big.txt", "big.dbf", "big.csv"}) {
            const QByteArray now = contents(path(name));
            EXPECT_TRUE(now == "the file from before" || now == whole[name]) << name << " after " << step;
        }
        const QStringList visible = QDir(dir.path()).entryList(QDir::Files);
        for (const QString& f : visible) EXPECT_TRUE(f.startsWith("big.") || f == "Quentry.ini") << qPrintable(f);
    }
    EXPECT_GT(killedMidway, 3) << "the kills came while it ran";
}

TEST_F(CliTest, ReportOfAnImageTwiceGivesTheSameTextWithoutADisplay)
{
    const QString image = path("site.img");
    ASSERT_EQ(run({"simulate", "--out", image, "--rows", "2000", "--start", "2020-03-01T12:10"}).exit, 0);
    const struct { QStringList args; const char* message; } usage[] = {
        {{"report"}, "report wants one image file"},
        {{"report", image}, "report wants --pdf OUT.pdf"},
        {{"report", image, "--out", "x.img"}, "option --out does not belong to 'report'"},
    };
    for (const auto& u : usage) {
        const TRun r = run(u.args);
        EXPECT_EQ(r.exit, 2) << qPrintable(u.args.join(' '));
        EXPECT_TRUE(r.err.contains(u.message)) << qPrintable(r.err);
    }
    const TRun missing = run({"report", path("none.img"), "--pdf", path("none.pdf")});
    EXPECT_EQ(missing.exit, 1);
    EXPECT_TRUE(missing.err.contains("does not exist")) << qPrintable(missing.err);
    EXPECT_FALSE(QFile::exists(path("none.pdf")));

    // Two runs, one of them with no display and no platform named at all.
    QStringList texts;
    for (const char* name : {"a.pdf", "b.pdf"}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (texts.isEmpty())
            for (const char* var : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(var);
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(QUENTRY_CLI_PROGRAM), {"report", image, "--pdf", path(name)});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        const auto text = quentry::test::PdfText(path(name), {"-layout"});
        if (!text) GTEST_SKIP() << quentry::test::PdfTextMissing().toStdString();
        texts << *text;
    }
    const QRegularExpression made("service report made \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d");
    ASSERT_GE(texts[0].count(made), 2);
    EXPECT_EQ(texts[0].count(made), texts[0].count(QRegularExpression("Page \\d+ of \\d+"))) << "one footer a page";
    EXPECT_EQ(QString(texts[0]).remove(made), QString(texts[1]).remove(made));
    const QString t = texts[0].simplified();
    EXPECT_TRUE(t.contains("Identity not recorded in this file"));
    EXPECT_TRUE(t.contains("Rows 2000"));
    EXPECT_TRUE(t.contains("Coverage 100 % (2000 of 2000 expected rows at that interval)"));
    QFile file(image);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(t.contains("SHA-256 " + QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex()));
}
