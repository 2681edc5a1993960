// The history as an SQLite file: created readable by its user only; a file that is no
// history, a damaged one or one from a newer program refused by name and left byte for
// byte as it was; a writer that finds the file busy tries its whole batch again; a batch
// that fails half-way leaves nothing of itself behind.
#include "historybackend.h"
#include "historyfeed.h"
#include "historyrows.h"
#include "historysql.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <atomic>
#include <sys/stat.h>
#include <thread>

using namespace quentry;
using namespace quentry::test;

namespace {

const TDeviceKey kDevice{96, 81, 74565};

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

TVisitStart visitStart()
{
    TVisitStart s;
    s.device = kDevice;
    s.started = QDateTime::currentDateTimeUtc();
    s.protocol = "fast";
    s.adapter = "none";
    s.programVersion = "test";
    return s;
}

// A history holding `rows` rows of one visit, closed again.
void makeHistory(const QString& path, int rows)
{
    QString error;
    auto store = TSqlHistoryStore::OpenFile(path, error);
    ASSERT_TRUE(store) << qPrintable(error);
    THistoryFeed feed(*store, visitStart(), THistoryFeed::TStartsAt::Oldest);
    ASSERT_TRUE(feed.Begin());
    for (int i = 0; i < rows; ++i) feed.AddRow(HistoryRow(i, i * 5));
    ASSERT_TRUE(feed.Finish(TVisitEnd::Completed, std::nullopt, {}));
}

// Runs sql on the file with a connection of its own.
void rawSql(const QString& path, const QStringList& sql)
{
    {
        QSqlDatabase d = QSqlDatabase::addDatabase("QSQLITE", "raw");
        d.setDatabaseName(path);
        ASSERT_TRUE(d.open());
        for (const QString& s : sql) {
            QSqlQuery q(d);
            ASSERT_TRUE(q.exec(s)) << qPrintable(s);
        }
        d.close();
    }
    QSqlDatabase::removeDatabase("raw");
}

THistoryBatch batchOf(int from, int count)
{
    THistoryBatch b;
    b.device = kDevice;
    for (int i = from; i < from + count; ++i) b.rows.push_back(THistoryRow::From(HistoryRow(i, i * 5)));
    return b;
}

} // namespace

TEST(HistoryFile, ANewFileIsReadableByItsUserOnlyAndKeepsItsRows)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sub/dir/history.sqlite");
    makeHistory(path, 30);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    QString error;
    auto again = TSqlHistoryStore::OpenFile(path, error);
    ASSERT_TRUE(again) << qPrintable(error);
    TTransmitterSummary s;
    ASSERT_TRUE(again->Transmitter(kDevice, s));
    EXPECT_EQ(s.rows, 30);
    EXPECT_EQ(s.visits, 1);
    EXPECT_EQ(StampToDateTime(*s.first), QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC));
    EXPECT_EQ(StampToDateTime(*s.last), QDateTime(QDate(2020, 1, 1), QTime(2, 25), Qt::UTC));
}

TEST(HistoryFile, FilesThatAreNoUsableHistoryAreRefusedAndLeftAsTheyWere)
{
    const struct
    {
        const char* what;
        std::function<void(const QString&)> make;
        const char* says;
    } cases[] = {
        {"a text file", [](const QString& p) { write(p, QByteArray("site notes\n").repeated(50)); },
         "is not a Quentry site history (not an SQLite database)"},
        {"a database of something else",
         [](const QString& p) { rawSql(p, {"CREATE TABLE readings (t INTEGER, v REAL)", "INSERT INTO readings VALUES (1, 2.5)"}); },
         "is not a Quentry site history (it is a database of something else)"},
        {"a history cut short",
         [](const QString& p) {
             makeHistory(p, 400);
             const QByteArray b = contents(p);
             write(p, b.left(b.size() / 2 + 100));
         },
         "is damaged"},
        {"a history cut at a page",
         [](const QString& p) {
             makeHistory(p, 400);
             write(p, contents(p).left(8192));
         },
         "is damaged"},
        {"a history whose first page is overwritten",
         [](const QString& p) {
             makeHistory(p, 10);
             QByteArray b = contents(p);
             for (int i = 100; i < 4000; ++i) b[i] = char(0xA5);
             write(p, b);
         },
         "is damaged"},
        {"a history from a newer program",
         [](const QString& p) {
             makeHistory(p, 10);
             rawSql(p, {"PRAGMA journal_mode = DELETE", "UPDATE schema_version SET version = 3, oldest_compatible = 2"});
         },
         "was made by a newer version of Quentry"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath("history.sqlite");
        c.make(path);
        const QByteArray before = contents(path);
        ASSERT_FALSE(before.isEmpty());
        QString error;
        auto store = TSqlHistoryStore::OpenFile(path, error);
        EXPECT_FALSE(store);
        EXPECT_TRUE(error.contains(path)) << qPrintable(error);
        EXPECT_TRUE(error.contains(QLatin1String(c.says))) << qPrintable(error);
        store.reset();
        EXPECT_EQ(contents(path), before);
    }

    // A newer history that says this program can still use it is opened.
    QTemporaryDir dir;
    const QString path = dir.filePath("history.sqlite");
    makeHistory(path, 10);
    rawSql(path, {QStringLiteral("UPDATE schema_version SET version = %1, oldest_compatible = %2")
                      .arg(historysql::kSchemaVersion + 1)
                      .arg(historysql::kSchemaVersion)});
    QString error;
    EXPECT_TRUE(TSqlHistoryStore::OpenFile(path, error)) << qPrintable(error);
}

TEST(HistoryFile, ABusyHistoryIsWrittenOnceTheOtherWriterIsDone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("history.sqlite");
    makeHistory(path, 1);
    QString error;
    auto store = TSqlHistoryStore::OpenFile(path, error, 20); // gives up on a lock after 20 ms
    ASSERT_TRUE(store) << qPrintable(error);

    // Another program holds the write lock for a while.
    std::atomic<bool> locked{false};
    std::thread other([&] {
        {
            QSqlDatabase d = QSqlDatabase::addDatabase("QSQLITE", "other");
            d.setDatabaseName(path);
            d.open();
            QSqlQuery q(d);
            q.exec("BEGIN IMMEDIATE");
            locked = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            q.exec("COMMIT");
            d.close();
        }
        QSqlDatabase::removeDatabase("other");
    });
    while (!locked) std::this_thread::yield();
    TBatchResult r;
    const bool ok = store->CommitBatch(batchOf(10, 5), r);
    other.join();
    EXPECT_TRUE(ok) << qPrintable(store->LastError());
    EXPECT_EQ(r.added, 5);
}

TEST(HistoryFile, ABatchThatFailsHalfWayLeavesNothingAndIsTakenLater)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("history.sqlite");
    QString error;
    auto store = TSqlHistoryStore::OpenFile(path, error);
    ASSERT_TRUE(store) << qPrintable(error);
    THistoryFeed feed(*store, visitStart(), THistoryFeed::TStartsAt::Oldest);
    ASSERT_TRUE(feed.Begin());
    feed.AddRow(HistoryRow(0, 0));
    feed.AddRow(HistoryRow(1, 5));
    feed.AddRow(HistoryRow(3, 15)); // a hole at index 2
    // The batch fails at its fourth request (after its rows went in, before the gap).
    store->FailRequestForTest(4);
    EXPECT_FALSE(feed.Flush());
    EXPECT_TRUE(feed.Error().contains("made to fail")) << qPrintable(feed.Error());
    TTransmitterSummary sum;
    ASSERT_TRUE(store->Transmitter(kDevice, sum));
    EXPECT_EQ(sum.rows, 0);
    EXPECT_EQ(sum.gaps, 0);
    std::vector<TStoredRow> rows;
    ASSERT_TRUE(store->Rows(kDevice, 0, std::numeric_limits<qint64>::max(), nullptr, 10, rows));
    EXPECT_TRUE(rows.empty());

    // The rows stay with the feed and go in with the next commit.
    feed.AddRow(HistoryRow(4, 20));
    ASSERT_TRUE(feed.Finish(TVisitEnd::Completed, std::nullopt, {})) << qPrintable(feed.Error());
    ASSERT_TRUE(store->Transmitter(kDevice, sum));
    EXPECT_EQ(sum.rows, 4);
    EXPECT_EQ(sum.gaps, 1);
    EXPECT_EQ(feed.Added(), 4);
}
