// Logger reads through quentry-cli against quentry-emulator, both as separate programs, the
// way a site script runs them: loggers with defects that stay with their rows, Ctrl-C and
// SIGTERM in the middle of a read, the emulator killed under a read, a line that stops
// answering, and a HART device of another family. Each asserts the rows kept, the exit
// status and what the tool said.
#include "clireadfixture.h"

#include <QDir>
#include <QRegularExpression>
#include <csignal>

using namespace quentry::test;

TEST_F(CliRead, DefectiveLoggersEndByThemselvesWithEveryReadableRowOnce)
{
    struct Case
    {
        QStringList emulator;
        int exit;
        int missing;
        std::vector<int> indexes;  // as written to the files
        const char* said;          // on stderr
    } cases[] = {
        {{"--rows", "60", "--pages", "20", "--defects", "gap@20:3"}, 3, 3, indexes({{0, 19}, {23, 62}}),
         "LOG_LOST: Records lost: index 20 - 22"},
        {{"--rows", "60", "--pages", "20", "--defects", "readerror@30"}, 3, 1, indexes({{0, 29}, {31, 59}}),
         "LOG_LOST: Record lost: index 30"},
        {{"--rows", "60", "--pages", "20", "--defects", "back@40:10"}, 0, 0, indexes({{0, 39}, {30, 49}}),
         "Index went back: NEW / LAST Index: 30 - 39"},
        {{"--protocol", "fast", "--rows", "60", "--pages", "20", "--defects", "rowchk@7"}, 3, 1,
         indexes({{0, 6}, {8, 59}}), "LOG_PAGELOST: Page: 1, 1 row(s) failed their check"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(qPrintable(k.emulator.join(' ')));
        const QString port = startEmulator(k.emulator);
        ASSERT_FALSE(port.isEmpty());
        const TRun r = runCli(QStringList{"read"} + allFiles("d") + link(port));
        EXPECT_EQ(r.exit, k.exit) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains(k.said)) << qPrintable(r.err);
        EXPECT_EQ(csvIndexes(path("d.csv")), k.indexes);
        expectFilesHold("d", int(k.indexes.size()));
        if (k.missing > 0) {
            EXPECT_TRUE(r.err.contains(QStringLiteral("the logger was read to its end; %1 row(s) written, %2 row(s) missing")
                                           .arg(k.indexes.size())
                                           .arg(k.missing)))
                << qPrintable(r.err);
        }
        TearDown();
    }
}

TEST_F(CliRead, InterruptedReadWritesWhatWasReadToEveryFile)
{
    const struct
    {
        int signal;
        int exit;
        const char* name;
    } cases[] = {{SIGINT, 130, "Ctrl-C"}, {SIGTERM, 143, "SIGTERM"}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        // Files of their own: an interrupted read keeps files that are there already.
        const QString stem = QStringLiteral("i%1").arg(k.signal);
        const QString port = startEmulator({"--rows", "400", "--pages", "100"});
        ASSERT_FALSE(port.isEmpty());
        ASSERT_NO_FATAL_FAILURE(startCli(QStringList{"read"} + allFiles(stem) + link(port)));
        ASSERT_TRUE(waitForStderr(" 10 % "));
        ::kill(pid_t(cli->processId()), k.signal);
        const TRun r = finish();
        EXPECT_EQ(r.exit, k.exit) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains(QStringLiteral("read interrupted (%1)").arg(k.name))) << qPrintable(r.err);
        const int rows = imageRows(path(stem + ".img"));
        EXPECT_GE(rows, 30);
        EXPECT_LT(rows, 400);
        EXPECT_TRUE(r.err.contains(QStringLiteral("the %1 row(s) read so far were written").arg(rows))) << qPrintable(r.err);
        EXPECT_EQ(csvIndexes(path(stem + ".csv")), indexes({{0, rows - 1}}));
        expectFilesHold(stem, rows);
        TearDown();
    }

    // Ctrl-C while the transmitter is being detected: no read starts.
    {
        const QString port = startEmulator({"--rows", "400", "--pages", "100"});
        QStringList args = QStringList{"read", "--out", path("h.img"), "--log", path("h.log")} + link(port);
        args[args.indexOf("--cycle") + 1] = "300"; // detection takes seconds
        ASSERT_NO_FATAL_FAILURE(startCli(args));
        QThread::msleep(300);
        ::kill(pid_t(cli->processId()), SIGINT);
        const TRun r = finish();
        EXPECT_EQ(r.exit, 130);
        EXPECT_TRUE(r.err.contains("interrupted (Ctrl-C) during detection")) << qPrintable(r.err);
        EXPECT_FALSE(QFile::exists(path("h.img")));
        // The step under way is finished, no further one is started (the whole sequence is nine).
        EXPECT_LE(contents(path("h.log")).count("Sending Command"), 2);
        TearDown();
    }

    // A second Ctrl-C does not wait for anything.
    const QString port = startEmulator({"--rows", "400", "--pages", "100"});
    ASSERT_NO_FATAL_FAILURE(startCli(QStringList{"read", "--out", path("j.img")} + link(port)));
    ASSERT_TRUE(waitForStderr(" 10 % "));
    ::kill(pid_t(cli->processId()), SIGINT);
    QThread::msleep(20); // two signals sent together may arrive as one
    ::kill(pid_t(cli->processId()), SIGINT);
    const TRun twice = finish();
    EXPECT_EQ(twice.exit, 130);
    EXPECT_TRUE(twice.err.contains("interrupted again: stopped at once")) << qPrintable(twice.err);
}

TEST_F(CliRead, AnIncompleteReadNeverReplacesAFileThatIsThere)
{
    // A whole read first: the files a later, interrupted one must not replace.
    const QString port = startEmulator({"--rows", "400", "--pages", "100"});
    ASSERT_FALSE(port.isEmpty());
    const TRun full = runCli(QStringList{"read", "--out", path("site.img"), "--csv", path("site.csv")} + link(port));
    ASSERT_EQ(full.exit, 0) << qPrintable(full.err);
    const QByteArray image = contents(path("site.img")), csv = contents(path("site.csv"));
    ASSERT_EQ(imageRows(path("site.img")), 400);

    ASSERT_NO_FATAL_FAILURE(startCli(QStringList{"read", "--out", path("site.img"), "--csv", path("site.csv"),
                                                 "--ascii", path("site.txt")} +
                                     link(port)));
    ASSERT_TRUE(waitForStderr(" 10 % "));
    ::kill(pid_t(cli->processId()), SIGINT);
    const TRun r = finish();
    EXPECT_EQ(r.exit, 130) << qPrintable(r.err);
    EXPECT_EQ(contents(path("site.img")), image) << "the fuller image is kept";
    EXPECT_EQ(contents(path("site.csv")), csv);

    const QStringList partial = QDir(dir.path()).entryList({"site.partial-*"}, QDir::Files, QDir::Name);
    ASSERT_EQ(partial.size(), 2) << qPrintable(partial.join(' '));
    EXPECT_TRUE(QRegularExpression("^site\\.partial-\\d{4}-\\d\\d-\\d\\d-\\d{4}\\.csv$").match(partial[0]).hasMatch());
    EXPECT_EQ(partial[1], QString(partial[0]).replace(".csv", ".img"));
    const int rows = imageRows(path(partial[1]));
    EXPECT_GE(rows, 30);
    EXPECT_LT(rows, 400);
    EXPECT_EQ(int(csvIndexes(path(partial[0])).size()), rows);
    EXPECT_EQ(contents(path("site.txt")).count("\r\n"), rows) << "a file not there before takes its own name";
    EXPECT_TRUE(r.err.contains(path("site.img") + " exists and is kept as it was; the rows read so far go to " +
                               path(partial[1])))
        << qPrintable(r.err);
}

TEST_F(CliRead, LostLineKeepsTheRowsAndDoesNotPassForSuccess)
{
    // The emulator killed under the read: its end of the line vanishes.
    const QString port = startEmulator({"--rows", "400", "--pages", "100"});
    ASSERT_NO_FATAL_FAILURE(startCli(QStringList{"read"} + allFiles("k") + link(port) + QStringList{"--log", path("k.log")}));
    ASSERT_TRUE(waitForStderr(" 10 % "));
    emulator->kill();
    emulator->waitForFinished(5000);
    const TRun killed = finish();
    EXPECT_EQ(killed.exit, 4) << qPrintable(killed.err);
    EXPECT_TRUE(killed.err.contains(QStringLiteral("read cut short: the port %1 was lost").arg(port))) << qPrintable(killed.err);
    EXPECT_EQ(killed.err.count("LOG_ABORT"), 1) << qPrintable(killed.err);
    const int rows = imageRows(path("k.img"));
    EXPECT_GE(rows, 30);
    EXPECT_EQ(csvIndexes(path("k.csv")), indexes({{0, rows - 1}}));
    expectFilesHold("k", rows);
    EXPECT_EQ(contents(path("k.log")).count("IO Error detected!"), 1);

    // A line that stays open but stops answering is given up on.
    const QString silent = startEmulator({"--rows", "400", "--pages", "100", "--faults", "drop=40+"});
    const TRun given = runCli(QStringList{"read", "--out", path("g.img"), "--give-up", "1"} + link(silent));
    EXPECT_EQ(given.exit, 4) << qPrintable(given.err);
    EXPECT_TRUE(given.err.contains("read given up: no reply from the transmitter for 1 s")) << qPrintable(given.err);
    EXPECT_GE(imageRows(path("g.img")), 10);
    EXPECT_LT(imageRows(path("g.img")), 40);

    // A logger that refuses to open: cut short before any row, nothing written.
    const QString refusing = startEmulator({"--rows", "60", "--pages", "20", "--faults", "rc/160=*:64"});
    const TRun closed = runCli(QStringList{"read", "--out", path("c.img")} + link(refusing));
    EXPECT_EQ(closed.exit, 4) << qPrintable(closed.err);
    EXPECT_TRUE(closed.err.contains("read cut short: Logger could not be opened")) << qPrintable(closed.err);
    EXPECT_TRUE(closed.err.contains("no row could be read, nothing written")) << qPrintable(closed.err);
    EXPECT_FALSE(QFile::exists(path("c.img")));
}

TEST_F(CliRead, DeviceOfAnotherFamilyIsNamedNotMistakenForOneWithoutLogger)
{
    const QString port = startEmulator({"--rows", "60", "--pages", "20", "--faults", "rc/131=*:64"});
    const TRun detect = runCli(QStringList{"detect", "--json"} + link(port));
    EXPECT_EQ(detect.exit, 1);
    const QJsonObject o = QJsonDocument::fromJson(detect.out.toUtf8()).object();
    EXPECT_EQ(o.value("factoryId").toInt(), 0x60);
    EXPECT_EQ(o.value("deviceId").toInt(), 0x012345);
    EXPECT_TRUE(o.value("featureId").isNull());
    EXPECT_TRUE(o.value("clock").isNull());
    for (const char* said : {"answered command 0", "command 131 (read parameter 98) was refused: response code 64",
                             "it may not be a transmitter of this family"})
        EXPECT_TRUE(detect.err.contains(said)) << said << "\n" << qPrintable(detect.err);
    EXPECT_FALSE(detect.err.contains("has no on-board logger"));

    const TRun read = runCli(QStringList{"read", "--out", path("f.img")} + link(port));
    EXPECT_EQ(read.exit, 1);
    EXPECT_TRUE(read.err.contains("it may not be a transmitter of this family")) << qPrintable(read.err);
    EXPECT_FALSE(QFile::exists(path("f.img")));
}

TEST_F(CliRead, QuickRepliesFromTheOptionOrTheSettingsFile)
{
    // With a 3 s byte gap every reply would wait 3 s after its last byte: some twenty
    // transactions would outlast the wait below. Quick replies end each one at its last byte.
    const QString port = startEmulator({"--protocol", "fast", "--rows", "60", "--pages", "20"});
    QFile settings(path("quick.ini"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Main]\nQuickReplies=1\n");
    settings.close();
    for (const QStringList& how : {QStringList{"--quick"}, QStringList{"--settings", settings.fileName()}}) {
        SCOPED_TRACE(qPrintable(how.join(' ')));
        QStringList args = QStringList{"read", "--out", path("q.img")} + link(port);
        args[args.indexOf("--cycle") + 1] = "3000";
        if (how.first() == "--settings") args.erase(args.begin() + args.indexOf("--settings"), args.begin() + args.indexOf("--settings") + 2);
        startCli(args + how);
        const TRun r = finish(20000);
        EXPECT_EQ(r.exit, 0) << qPrintable(r.err);
        EXPECT_EQ(imageRows(path("q.img")), 60);
    }
}

TEST_F(CliRead, SilentLineScanSaysWhatWasTriedOrThatItWasInterrupted)
{
    const QString port = startEmulator({"--rows", "60", "--pages", "20", "--faults", "drop=*"});
    const TRun one = runCli(QStringList{"detect", "--address", "3"} + link(port));
    EXPECT_EQ(one.exit, 1);
    EXPECT_TRUE(one.err.contains(QStringLiteral("no transmitter answered on %1 (hart, polling address 3)").arg(port)))
        << qPrintable(one.err);

    // Ctrl-C in the middle of the scan of all sixteen addresses.
    ASSERT_NO_FATAL_FAILURE(startCli(QStringList{"detect"} + link(port)));
    QThread::msleep(800);
    ::kill(pid_t(cli->processId()), SIGINT);
    const TRun scan = finish();
    EXPECT_EQ(scan.exit, 130);
    EXPECT_TRUE(scan.err.contains("interrupted (Ctrl-C) during detection")) << qPrintable(scan.err);
    EXPECT_FALSE(scan.err.contains("Not Found", Qt::CaseInsensitive)) << qPrintable(scan.err);
    EXPECT_FALSE(scan.err.contains("no transmitter answered")) << qPrintable(scan.err);
}
