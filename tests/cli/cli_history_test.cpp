// The site history through quentry-cli against quentry-emulator, both as separate programs:
// a visit, a revisit of new rows and a revisit after the ring went round, as the record
// lists them; any period exported; overlapping images imported; a read killed with
// SIGKILL keeps what it had; a file that is no usable history is refused untouched.
#include "clireadfixture.h"

#include <QJsonArray>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QRegularExpression>
#include <csignal>

using namespace quentry::test;

namespace {

const QString kKey = "96-81-74565";
const QStringList kStory = {"--start", "2020-06-01T00:00", "--seed", "3"};

class CliHistory : public CliRead
{
protected:
    QString history() const { return path("history.sqlite"); }

    // A visit to the logger as it is with these emulator options, read with these.
    TRun visit(const QStringList& emulatorOptions, const QStringList& readOptions)
    {
        const QString port = startEmulator(kStory + emulatorOptions);
        EXPECT_FALSE(port.isEmpty());
        return runCli(QStringList{"read"} + readOptions + link(port) + deviceOption());
    }
    QStringList deviceOption() const { return protocol == "fast" ? QStringList{"--device", kKey} : QStringList{}; }

    TRun history(const QStringList& args) { return runCli(QStringList{"history"} + args + QStringList{"--history", history()}); }
    QJsonDocument historyJson(const QStringList& args) { return QJsonDocument::fromJson(history(args + QStringList{"--json"}).out.toUtf8()); }
};

QString integrity(const QString& file)
{
    QString result;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase("QSQLITE", "check");
        d.setDatabaseName(file);
        if (d.open()) {
            QSqlQuery q(d);
            if (q.exec("PRAGMA integrity_check") && q.next()) result = q.value(0).toString();
        }
        d.close();
    }
    QSqlDatabase::removeDatabase("check");
    return result;
}

} // namespace

TEST_F(CliHistory, VisitRevisitAndOverrunAsTheRecordListsThem)
{
    const QStringList fast = {"--protocol", "fast", "--pages", "200"}; // a ring of 1200 rows
    TRun r = visit(fast + QStringList{"--rows", "700"}, {"--new", "--out", path("v1.img")});
    ASSERT_EQ(r.exit, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains("Result: 700 record(s) readed.")) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains("Result: 700 new record(s); nothing missing.")) << qPrintable(r.err);

    // A week later, 2016 rows on: only they are read, from the join row on.
    r = visit(fast + QStringList{"--rows", "1000"}, {"--new", "--out", path("v2.img")});
    ASSERT_EQ(r.exit, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains("history: joining at index 699")) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains("Result: 300 new record(s), joined at index 699; nothing missing.")) << qPrintable(r.err);
    EXPECT_EQ(imageRows(path("v2.img")), 301) << "the files hold the rows of this read, the join row with them";

    // The ring went round past the newest held row: everything is read, the rows between are
    // a hole overwritten before it was read.
    r = visit(fast + QStringList{"--rows", "1100", "--wrapped"}, {"--new"});
    ASSERT_EQ(r.exit, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains("history: the ring went round since the newest held row (index 999)")) << qPrintable(r.err);

    const QJsonArray list = historyJson({"list"}).array();
    ASSERT_EQ(list.size(), 1);
    const QJsonObject t = list[0].toObject();
    EXPECT_EQ(t.keys(), QStringList({"device", "first", "gaps", "last", "rows", "visits"}));
    EXPECT_EQ(t["device"].toString(), kKey);
    EXPECT_EQ(t["visits"].toInt(), 3);
    EXPECT_EQ(t["gaps"].toInt(), 1);
    // 2300 written into 1200 slots: the ring holds its newest 199 pages and sor rows.
    const int written = 2300, sor = (written - 1) % 1200 % 6 + 1, held = 199 * 6 + sor, oldest = written - held;
    EXPECT_EQ(t["rows"].toInt(), 1000 + held);
    EXPECT_TRUE(QDateTime::fromString(t["first"].toString(), Qt::ISODate).isValid());

    const QJsonObject show = historyJson({"show", kKey}).object();
    EXPECT_EQ(show.keys(), QStringList({"gaps", "visits"}));
    const QJsonArray visits = show["visits"].toArray();
    ASSERT_EQ(visits.size(), 3);
    EXPECT_EQ(visits[0].toObject().keys(), QStringList({"clock_offset_s", "drift_s_per_day", "ended", "kind", "rows_added",
                                                        "rows_known", "rows_missing", "started"}));
    const struct { const char* kind; int added, known, missing; } expected[] = {
        {"new", 700, 0, 0}, {"new", 300, 1, 0}, {"new", held, 0, oldest - 1000}};
    for (int i = 0; i < 3; ++i) {
        const QJsonObject v = visits[i].toObject();
        SCOPED_TRACE(i);
        EXPECT_EQ(v["kind"].toString(), expected[i].kind);
        EXPECT_EQ(v["rows_added"].toInt(), expected[i].added);
        EXPECT_EQ(v["rows_known"].toInt(), expected[i].known);
        EXPECT_EQ(v["rows_missing"].toInt(), expected[i].missing);
        EXPECT_EQ(v["ended"].toString(), "completed");
        EXPECT_TRUE(v["clock_offset_s"].isDouble());
        EXPECT_TRUE(QDateTime::fromString(v["started"].toString(), Qt::ISODate).isValid());
    }
    const QJsonArray gaps = show["gaps"].toArray();
    ASSERT_EQ(gaps.size(), 1);
    const QJsonObject g = gaps[0].toObject();
    EXPECT_EQ(g.keys(), QStringList({"cause", "from", "from_index", "to", "to_index"}));
    EXPECT_EQ(g["cause"].toString(), "overwritten");
    EXPECT_EQ(g["from_index"].toInt(), 1000);
    EXPECT_EQ(g["to_index"].toInt(), oldest - 1);
    EXPECT_LT(g["from"].toString(), g["to"].toString());

    // The whole record goes out in time order, the hole left a hole.
    const TRun all = history({"export", kKey, "--csv", path("all.csv")});
    ASSERT_EQ(all.exit, 0) << qPrintable(all.err);
    const std::vector<int> rows = csvIndexes(path("all.csv"));
    ASSERT_EQ(int(rows.size()), 1000 + held);
    EXPECT_EQ(rows[999], 999);
    EXPECT_EQ(rows[1000], oldest);
    EXPECT_EQ(rows.back(), written - 1);
}

TEST_F(CliHistory, ExportsOfAPeriodAndImportsThatOverlap)
{
    const QStringList fast = {"--protocol", "fast"};
    ASSERT_EQ(visit(fast + QStringList{"--rows", "600"}, {"--out", path("v1.img")}).exit, 0);
    ASSERT_EQ(visit(fast + QStringList{"--rows", "900"}, {"--new", "--out", path("v2.img")}).exit, 0);

    // The whole record of the first visit's period is its image, byte for byte.
    const QJsonObject t = historyJson({"list"}).array()[0].toObject();
    TRun e = history({"export", kKey, "--to", "2020-06-02", "--out", path("e.img")});
    ASSERT_EQ(e.exit, 0) << qPrintable(e.err);
    const QByteArray v1 = contents(path("v1.img"));
    const int dayRows = imageRows(path("e.img"));
    ASSERT_GT(dayRows, 100);
    ASSERT_LT(dayRows, 600);
    EXPECT_EQ(contents(path("e.img")).mid(4), v1.mid(4, dayRows * kRowBytes)) << "rows exported as the read wrote them";
    e = history({"export", kKey, "--from", "2020-06-02T00:00", "--to", "2020-06-02T23:59:59", "--csv", path("day.csv")});
    ASSERT_EQ(e.exit, 0) << qPrintable(e.err);
    const std::vector<int> day = csvIndexes(path("day.csv"));
    EXPECT_GT(day.size(), 200u); // a row every five minutes, and the odd event
    EXPECT_LT(day.size(), 320u);
    EXPECT_TRUE(contents(path("day.csv")).contains("2020-06-02T")) << "times are the transmitter's own";
    EXPECT_FALSE(contents(path("day.csv")).contains("2020-06-01T"));
    EXPECT_EQ(history({"export", kKey, "--from", "2019-01-01", "--to", "2019-12-31", "--csv", path("x.csv")}).exit, 1);

    // Images joined into another history: the second overlaps the first by its join row.
    const QString other = path("other.sqlite");
    auto import = [&](const QString& image) {
        return runCli({"history", "import", image, "--device", kKey, "--history", other});
    };
    TRun i = import(path("v1.img"));
    ASSERT_EQ(i.exit, 0) << qPrintable(i.err);
    EXPECT_TRUE(i.out.contains("Result: 600 new record(s); nothing missing. 0 row(s) were held already.")) << qPrintable(i.out);
    i = import(path("v2.img"));
    ASSERT_EQ(i.exit, 0) << qPrintable(i.err);
    EXPECT_TRUE(i.out.contains("Result: 300 new record(s); nothing missing. 1 row(s) were held already.")) << qPrintable(i.out);
    i = import(path("v1.img"));
    EXPECT_TRUE(i.out.contains("Result: 0 new record(s); nothing missing. 600 row(s) were held already.")) << qPrintable(i.out);
    const QJsonObject o = QJsonDocument::fromJson(runCli({"history", "list", "--json", "--history", other}).out.toUtf8())
                              .array()[0]
                              .toObject();
    EXPECT_EQ(o["rows"].toInt(), 900);
    EXPECT_EQ(o["visits"].toInt(), 3);
    EXPECT_EQ(o["first"], t["first"]);
    EXPECT_EQ(o["last"], t["last"]);

    // An image holds at most 12 288 rows: a longer period goes to the other files only.
    ASSERT_EQ(visit({"--protocol", "fast", "--rows", "13000", "--pages", "2200"}, {"--new", "--quick"}).exit, 0);
    e = history({"export", kKey, "--out", path("big.img")});
    EXPECT_EQ(e.exit, 1);
    EXPECT_TRUE(e.err.contains("the period holds 13 000 rows, and an image file holds at most 12 288")) << qPrintable(e.err);
    EXPECT_FALSE(QFile::exists(path("big.img")));
    e = history({"export", kKey, "--ascii", path("big.txt"), "--csv", path("big.csv")});
    ASSERT_EQ(e.exit, 0) << qPrintable(e.err);
    EXPECT_EQ(contents(path("big.txt")).count("\r\n"), 13000);
    const std::vector<int> big = csvIndexes(path("big.csv"));
    ASSERT_EQ(big.size(), 13000u);
    for (int k = 0; k < 13000; ++k) ASSERT_EQ(big[size_t(k)], k);
}

TEST_F(CliHistory, AReadKilledMidWayKeepsWhatItHadAndARevisitCompletesTheRecord)
{
    const QString port = startEmulator(kStory + QStringList{"--protocol", "fast", "--rows", "1800", "--pace"});
    ASSERT_FALSE(port.isEmpty());
    startCli(QStringList{"read", "--device", kKey} + link(port));
    ASSERT_TRUE(waitForStderr(" 40 % ", 60000));
    QThread::msleep(600); // rows are committed at the latest 200 ms after they arrive
    ::kill(pid_t(cli->processId()), SIGKILL);
    const QString err = finish().err;
    // The last progress line names the last row shown: everything up to it is held.
    const QRegularExpressionMatch m = QRegularExpression("Current: (\\d+)[^\\n]*$").match(err.trimmed());
    ASSERT_TRUE(m.hasMatch()) << qPrintable(err);
    const int shown = m.captured(1).toInt() + 1;

    EXPECT_EQ(integrity(history()), "ok");
    QJsonObject t = historyJson({"list"}).array()[0].toObject();
    EXPECT_GE(t["rows"].toInt(), shown);
    EXPECT_LT(t["rows"].toInt(), 1800);
    EXPECT_EQ(t["gaps"].toInt(), 0);
    QJsonArray visits = historyJson({"show", kKey}).object()["visits"].toArray();
    ASSERT_EQ(visits.size(), 1);
    EXPECT_EQ(visits[0].toObject()["ended"].toString(), "unfinished");
    EXPECT_EQ(visits[0].toObject()["rows_added"].toInt(), t["rows"].toInt());

    const int had = t["rows"].toInt();
    const TRun rest = runCli(QStringList{"read", "--new", "--device", kKey} + link(port));
    ASSERT_EQ(rest.exit, 0) << qPrintable(rest.err);
    EXPECT_TRUE(rest.err.contains(QString("Result: %1 new record(s), joined at index %2; nothing missing.")
                                      .arg(1800 - had)
                                      .arg(had - 1)))
        << qPrintable(rest.err);
    t = historyJson({"list"}).array()[0].toObject();
    EXPECT_EQ(t["rows"].toInt(), 1800);
    EXPECT_EQ(t["gaps"].toInt(), 0);
}

TEST_F(CliHistory, HartRevisitAndWhatTheHistoryNeedsToKnow)
{
    TRun r = visit({"--rows", "12", "--pages", "10"}, {});
    ASSERT_EQ(r.exit, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains("Clock: ")) << qPrintable(r.err);
    r = visit({"--rows", "20", "--pages", "10"}, {"--new"});
    ASSERT_EQ(r.exit, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains("Result: 8 new record(s), joined at index 11; nothing missing.")) << qPrintable(r.err);

    // The transmitter says who it is over HART: another key is refused.
    r = visit({"--rows", "20", "--pages", "10"}, {"--device", "1-2-3"});
    EXPECT_EQ(r.exit, 1);
    EXPECT_TRUE(r.err.contains("the transmitter detected is 96-81-74565, not 1-2-3 (--device); nothing was read")) << qPrintable(r.err);

    // Over FAST it does not: new rows need its key; a whole read goes on without the history.
    const QString port = startEmulator(kStory + QStringList{"--protocol", "fast", "--rows", "30"});
    r = runCli(QStringList{"read", "--new"} + link(port));
    EXPECT_EQ(r.exit, 2);
    EXPECT_TRUE(r.err.contains("name it with --device KEY")) << qPrintable(r.err);
    r = runCli(QStringList{"read", "--out", path("f.img")} + link(port));
    EXPECT_EQ(r.exit, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains("this read is not added to the site history")) << qPrintable(r.err);

    const TRun detect = runCli(QStringList{"detect", "--json"} + link(startEmulator(kStory + QStringList{"--rows", "20"})));
    const QJsonObject d = QJsonDocument::fromJson(detect.out.toUtf8()).object();
    EXPECT_EQ(d["device"].toString(), kKey);
    EXPECT_TRUE(d["history"].toString().startsWith("2 visits since ")) << qPrintable(d["history"].toString());
    EXPECT_EQ(d["clockResolution"].toInt(), 1);
    EXPECT_TRUE(d["clockWarning"].isNull());
}

TEST_F(CliHistory, AFileThatIsNoUsableHistoryIsRefusedAndLeftAsItWas)
{
    QFile notes(path("notes.txt"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("site 4, weir cleaned\n");
    notes.close();
    const QByteArray before = contents(notes.fileName());
    const QString port = startEmulator(kStory + QStringList{"--rows", "12"});
    const TRun read = runCli(QStringList{"read", "--history", notes.fileName()} + link(port));
    EXPECT_EQ(read.exit, 1);
    EXPECT_TRUE(read.err.contains(notes.fileName() + " is not a Quentry site history")) << qPrintable(read.err);
    EXPECT_TRUE(read.err.contains("nothing was read")) << qPrintable(read.err);
    const TRun list = runCli({"history", "list", "--history", notes.fileName()});
    EXPECT_EQ(list.exit, 1);
    EXPECT_EQ(contents(notes.fileName()), before);
    EXPECT_EQ(runCli({"history", "list", "--history", path("none.sqlite")}).exit, 1);
    EXPECT_FALSE(QFile::exists(path("none.sqlite"))) << "looking makes no history";
}
