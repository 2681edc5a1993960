// dBASE export: the exact CREATE TABLE statement, the statement reader, and tables that an
// independent dBASE reader (python3-dbfread) reads back value for value.
#include "dbaseexport.h"
#include "dbf/createtable.h"
#include "logtable.h"
#include "recordingfeedback.h"
#include "testrows.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>

using namespace quentry;
using quentry::test::TRecordingFeedback;

TEST(DbaseSql, TheCreateTableStatement)
{
    EXPECT_EQ(BuildCreateTableSql(QStringLiteral("Export.dbf")),
              "CREATE TABLE Export.dbf ( recdatetim DATETIME, HOUR INTEGER, MIN INTEGER, recindex INTEGER, "
              "eventstr CHAR(30), event INTEGER, PV REAL, DIST REAL, LEV REAL, DISTLEVuni CHAR(10), PVunit CHAR(10), "
              "TOT1 REAL, TOT2 REAL, TOTunit CHAR(10), temp REAL, tempunit CHAR(10), current REAL, error INTEGER, "
              "status INTEGER, Errorstr CHAR(20), Warningstr CHAR(20), PVmodestr CHAR(10), MenuStaStr CHAR(20), "
              "SimuActive LOGICAL, UPSWPres LOGICAL, Relay LOGICAL, ULockAct LOGICAL, FLocked LOGICAL, "
              "DBurstAct LOGICAL, LogOpened LOGICAL, CalibAct LOGICAL, PVValid LOGICAL, pinfo_amp INTEGER, "
              "pinfo_ind INTEGER, pinfo_tot INTEGER, SNratio INTEGER, pchk INTEGER, db_gain INTEGER, "
              "db_phase INTEGER, db_sensind INTEGER, dbug2 INTEGER)");
}

TEST(DbaseSql, ReadsTheColumnListIntoDbaseFields)
{
    QString error;
    const auto t = dbf::ParseCreateTable(BuildCreateTableSql(QStringLiteral("my export.dbf")), &error);
    ASSERT_TRUE(t) << error.toStdString();
    EXPECT_EQ(t->tableName, "my export.dbf");
    ASSERT_EQ(t->fields.size(), 41u);
    EXPECT_EQ(t->fields[0], (dbf::TDbfField{"recdatetim", 'D', 8, 0}));
    EXPECT_EQ(t->fields[1], (dbf::TDbfField{"HOUR", 'N', 11, 0}));
    EXPECT_EQ(t->fields[4], (dbf::TDbfField{"eventstr", 'C', 30, 0}));
    EXPECT_EQ(t->fields[6], (dbf::TDbfField{"PV", 'N', 20, 5}));
    EXPECT_EQ(t->fields[23], (dbf::TDbfField{"SimuActive", 'L', 1, 0}));

    const auto lower = dbf::ParseCreateTable(QStringLiteral("create table t.dbf (a char( 5 ) , b real)"), &error);
    ASSERT_TRUE(lower) << error.toStdString();
    EXPECT_EQ(lower->fields[0], (dbf::TDbfField{"a", 'C', 5, 0}));
    // A file name with blanks and parentheses, as file dialogs make them.
    const auto copy = dbf::ParseCreateTable(BuildCreateTableSql(QStringLiteral("Export (2).dbf")), &error);
    ASSERT_TRUE(copy) << error.toStdString();
    EXPECT_EQ(copy->tableName, "Export (2).dbf");
    EXPECT_EQ(copy->fields.size(), 41u);

    const char* bad[] = {
        "DROP TABLE t.dbf",
        "CREATE TABLE t.dbf",
        "CREATE TABLE (a INTEGER)",
        "CREATE TABLE t.dbf (a)",
        "CREATE TABLE t.dbf (a INTEGER,)",
        "CREATE TABLE t.dbf (elevenchars INTEGER)",
        "CREATE TABLE t.dbf (a INTEGER, A REAL)",
        "CREATE TABLE t.dbf (a CHAR(0))",
        "CREATE TABLE t.dbf (a CHAR(255))",
        "CREATE TABLE t.dbf (a BLOB)",
        "CREATE TABLE t.dbf (1a INTEGER)",
        "CREATE TABLE t.dbf (a INTEGER) x",
    };
    for (const char* sql : bad) {
        error.clear();
        EXPECT_FALSE(dbf::ParseCreateTable(QString::fromLatin1(sql), &error)) << sql;
        EXPECT_FALSE(error.isEmpty()) << sql;
    }
}

namespace {

// The independent reader: every field and record of a .dbf as JSON.
const char* kReader = R"(
import json, sys
try:
    import dbfread
except ImportError:
    sys.exit(77)
t = dbfread.DBF(sys.argv[1], load=True)
out = {"fields": [[f.name, f.type, f.length, f.decimal_count] for f in t.fields],
       "records": [[v.isoformat() if hasattr(v, "isoformat") else v for v in r.values()] for r in t.records]}
print(json.dumps(out))
)";

struct TReadBack
{
    bool available = false;
    QString why;
    QJsonArray fields, records;
};

TReadBack ReadWithDbfread(const QString& path)
{
    TReadBack r;
    const QString python = QStringLiteral("/usr/bin/python3");
    if (!QFile::exists(python)) {
        r.why = "/usr/bin/python3 is missing";
        return r;
    }
    QProcess p;
    p.start(python, {QStringLiteral("-c"), QString::fromLatin1(kReader), path});
    if (!p.waitForFinished(60000)) {
        r.why = "the reader did not finish";
        return r;
    }
    if (p.exitCode() == 77) {
        r.why = "python3-dbfread is not installed";
        return r;
    }
    r.available = true;
    const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput());
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().constData();
    r.fields = doc.object().value("fields").toArray();
    r.records = doc.object().value("records").toArray();
    return r;
}

#define READ_BACK_OR_SKIP(var, path)                                                                               \
    const TReadBack var = ReadWithDbfread(path);                                                                   \
    if (!var.available) GTEST_SKIP() << "independent dBASE reader unavailable: " << var.why.toStdString()

// Compares one table record with what the reader returned for it.
void ExpectSameRecord(const TLogRecord& r, const QJsonArray& got, int row)
{
    SCOPED_TRACE(row);
    ASSERT_EQ(got.size(), 41);
    const auto p = *TryDecodeDateTime(r.recdatetim);
    EXPECT_EQ(got[0].toString(), QDate(p.year, p.month, p.day).toString(Qt::ISODate));
    EXPECT_EQ(got[1].toInt(), p.hour);
    EXPECT_EQ(got[2].toInt(), p.minute);
    for (int k = 1; k < kLogFieldCount; ++k) {
        const TLogField& f = LogTableFields()[k];
        const QJsonValue v = got[k + 2];
        const QVariant want = r.Value(k);
        switch (f.type) {
        case TFieldType::String: {
            QString s = want.toString();
            while (s.endsWith(QLatin1Char(' '))) s.chop(1); // dBASE fills texts with blanks
            EXPECT_EQ(v.toString(), s) << f.name;
            break;
        }
        case TFieldType::Float: {
            const double d = want.toDouble();
            if (std::fabs(d) < 1e14)
                EXPECT_EQ(v.toDouble(), d) << f.name;
            else // wider than the field: 15 significant digits in exponent form
                EXPECT_NEAR(v.toDouble() / d, 1.0, 1e-14) << f.name;
            break;
        }
        case TFieldType::Boolean: EXPECT_EQ(v.toBool(), want.toBool()) << f.name; break;
        default: EXPECT_EQ(v.toInteger(), want.toLongLong()) << f.name; break;
        }
    }
}

struct DbaseFixture : ::testing::Test
{
    QTemporaryDir dir;
    TRecordingFeedback feedback;
    TOperationContext context;
    TLogStore store;
    TLogTable table;
    DbaseFixture() { context.Feedback = &feedback; }
    void Fill(int n)
    {
        test::FillStore(store, n);
        table.SetStale();
        ASSERT_TRUE(table.ConvertToTable(store, {}));
    }
};

} // namespace

TEST_F(DbaseFixture, AnIndependentReaderGetsEveryValueBack)
{
    Fill(1000);
    context.FullLog = true;
    const QString path = dir.filePath("Export.dbf");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("not a table");
    old.close();

    const TFileResult r = ExportDbase(path, table.Model(), context);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.records, 1000);
    EXPECT_TRUE(r.label4.startsWith("Exported 1000 record(s), Elapsed Time: "));
    EXPECT_TRUE(feedback.errors.isEmpty());
    ASSERT_EQ(feedback.opened.size(), 2);
    EXPECT_EQ(feedback.opened[0].text, "Creating Database...\r\r");
    EXPECT_EQ(feedback.opened[1].caption, "Saving Database");
    EXPECT_EQ(feedback.opened[1].maximum, 999);
    EXPECT_EQ(feedback.opened[1].text, "Exporting to Export.dbf\rPlease Wait!\r");

    READ_BACK_OR_SKIP(back, path);
    ASSERT_EQ(back.fields.size(), 41);
    EXPECT_EQ(back.fields[0].toArray(), QJsonArray({"recdatetim", "D", 8, 0}));
    EXPECT_EQ(back.fields[6].toArray(), QJsonArray({"PV", "N", 20, 5}));
    EXPECT_EQ(back.fields[1].toArray(), QJsonArray({"HOUR", "N", 11, 0}));
    EXPECT_EQ(back.fields[2].toArray(), QJsonArray({"MIN", "N", 11, 0}));
    EXPECT_EQ(back.fields[40].toArray(), QJsonArray({"dbug2", "N", 11, 0}));
    ASSERT_EQ(back.records.size(), 1000);
    EXPECT_EQ(back.records[0].toArray()[0].toString(), "2015-03-07");
    EXPECT_EQ(back.records[0].toArray()[1].toInt(), 14);
    EXPECT_EQ(back.records[0].toArray()[2].toInt(), 5);
    for (int i = 0; i < 1000; ++i) ExpectSameRecord(table.Model().Record(i), back.records[i].toArray(), i);
}

TEST_F(DbaseFixture, ValuesDbaseCannotHoldBecomeEmptyOrExponents)
{
    THART_PAS_LOG_Row row = test::MakeTestRow(2);
    row.PV = std::numeric_limits<double>::quiet_NaN();
    row.DIST = -3.4e38;
    row.datetime = 1e300; // no calendar holds it
    store.Clear();
    store.Log_AddToArray(row);
    ASSERT_TRUE(table.ConvertToTable(store, {}));
    const QString path = dir.filePath("odd.dbf");
    ASSERT_TRUE(ExportDbase(path, table.Model(), context).ok);
    READ_BACK_OR_SKIP(back, path);
    ASSERT_EQ(back.records.size(), 1);
    const QJsonArray rec = back.records[0].toArray();
    EXPECT_TRUE(rec[0].isNull());
    EXPECT_TRUE(rec[1].isNull());
    EXPECT_TRUE(rec[2].isNull());
    EXPECT_TRUE(rec[6].isNull()) << "NaN";
    EXPECT_NEAR(rec[7].toDouble() / -3.4e38, 1.0, 1e-14);
}

TEST_F(DbaseFixture, CancelKeepsARecordsTableThatReadersOpen)
{
    Fill(300);
    feedback.cancelAfterChecks(120);
    const QString path = dir.filePath("part.dbf");
    const TFileResult r = ExportDbase(path, table.Model(), context);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.canceled);
    EXPECT_EQ(r.records, 120);
    EXPECT_TRUE(r.label4.isEmpty());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes.back(), '\x1A');
    EXPECT_EQ(quint8(bytes[4]) | quint8(bytes[5]) << 8, 120);
    READ_BACK_OR_SKIP(back, path);
    ASSERT_EQ(back.records.size(), 120);
    ExpectSameRecord(table.Model().Record(119), back.records[119].toArray(), 119);
}

TEST_F(DbaseFixture, FailuresAreReportedNotPassedOffAsDone)
{
    Fill(5);
    TFileResult r = ExportDbase(dir.filePath("missing/x.dbf"), table.Model(), context);
    EXPECT_FALSE(r.ok);
    ASSERT_EQ(feedback.errors.size(), 1);
    EXPECT_TRUE(feedback.errors[0].startsWith("Error creating table x.dbf!\r")) << feedback.errors[0].toStdString();
    EXPECT_EQ(feedback.openNow, 0);

    // A file that cannot be deleted (a directory of that name) makes CREATE TABLE fail.
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.dbf"));
    r = ExportDbase(dir.filePath("taken.dbf"), table.Model(), context);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(feedback.errors.size(), 2);

    TLogTable empty;
    r = ExportDbase(dir.filePath("none.dbf"), empty.Model(), context);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(feedback.errors.size(), 2) << "an empty table does nothing";
    EXPECT_FALSE(QFile::exists(dir.filePath("none.dbf")));
}
