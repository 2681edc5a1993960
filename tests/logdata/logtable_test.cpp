// The log table: record values from a row, the model, the conversion from the store with
// its Cancel, and the trend window's filter proxy.
#include "logfilterproxy.h"
#include "logtable.h"
#include "recordingfeedback.h"
#include "testrows.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace quentry;
using quentry::test::TRecordingFeedback;

TEST(LogRecord, TextsCutToTheirFieldsAndFloatsRoundedHalvesToEven)
{
    THART_PAS_LOG_Row row = test::MakeTestRow(0);
    test::SetText(row.eventstr, QByteArray(100, 'E'), 1);
    test::SetText(row.es.MenuStateStr, QByteArray("0123456789abcdefghijKLMNO"), 2);
    row.PV = 0.0625;    // x 1000 = 62.5
    row.DIST = 0.1875;  // 187.5
    row.LEV = -0.0625;
    row.TOT1 = 1.0005;  // not a binary tie: the nearest double lies below
    row.TOT2 = 2.0e300; // too large for any integer type
    row.temperature = 25.125; // 2 decimals: 2512.5
    row.current = 25.375;     // 3 decimals: exact
    const TLogRecord r = LogRecordFromRow(row);

    EXPECT_EQ(r.eventstr, QString(30, QLatin1Char('E')));
    EXPECT_EQ(r.MenuStaStr, "0123456789abcdefghij");
    EXPECT_EQ(r.PVunit, QString::fromLatin1("m3/h \xE9t\xE9 l"));
    EXPECT_EQ(r.Warningstr, "LOW SIGNAL WARNING F");
    EXPECT_EQ(r.PV, 0.062);
    EXPECT_EQ(r.DIST, 0.188);
    EXPECT_EQ(r.LEV, -0.062);
    EXPECT_EQ(r.TOT1, 1.0);
    EXPECT_EQ(r.TOT2, 2.0e300);
    EXPECT_EQ(r.temp, 25.12);
    EXPECT_EQ(r.current, 25.375);
    EXPECT_EQ(RoundTo(25.375, 2), 25.38);
    EXPECT_EQ(RoundTo(1.23456, 3), 1.235);

    // Numbers pass unchanged, the chk byte is not kept.
    EXPECT_EQ(r.recdatetim, row.datetime);
    EXPECT_EQ(r.pinfo_amp, 0);
    EXPECT_EQ(r.status, 0x4621);
    EXPECT_EQ(r.dbug2, row.debug2);
    const TLogRecord r5 = LogRecordFromRow(test::MakeTestRow(5));
    EXPECT_EQ(r5.pinfo_amp, -5);
    EXPECT_EQ(r5.SimuActive, false); // 5*37+5 = 190 = 0b010111110
    EXPECT_EQ(r5.UPSWPres, true);
    EXPECT_EQ(r5.PVValid, false);
    EXPECT_EQ(r5.CalibAct, true);
}

TEST(LogTableModel, ThirtyNineNamedTypedColumns)
{
    TLogStore store;
    test::FillStore(store, 3);
    TLogTable table;
    ASSERT_TRUE(table.ConvertToTable(store, {}));
    const TLogTableModel& m = table.Model();
    EXPECT_EQ(m.rowCount(), 3);
    EXPECT_EQ(m.columnCount(), 39);
    QStringList names;
    for (int c = 0; c < m.columnCount(); ++c) names << m.headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(names.first(), "recdatetim");
    EXPECT_EQ(names.last(), "dbug2");
    EXPECT_EQ(names.indexOf("MenuStaStr"), 20);
    EXPECT_EQ(m.headerData(0, Qt::Vertical).toInt(), 1) << "record numbers count from 1";

    const auto at = [&](int row, TLogColumn c) { return m.data(m.index(row, c)); };
    EXPECT_EQ(at(0, lc_recdatetim).toDateTime(), QDateTime(QDate(2015, 3, 7), QTime(14, 5, 59)));
    EXPECT_EQ(m.data(m.index(0, lc_recdatetim), TLogTableModel::RawDateTimeRole).toDouble(), store.Row(0).datetime);
    EXPECT_EQ(at(2, lc_recindex).typeId(), QMetaType::Int);
    EXPECT_EQ(at(2, lc_recindex).toInt(), 17);
    EXPECT_EQ(at(1, lc_PV).typeId(), QMetaType::Double);
    EXPECT_EQ(at(1, lc_SimuActive).typeId(), QMetaType::Bool);
    EXPECT_EQ(at(1, lc_tempunit).toString(), "Fgrad");
    EXPECT_EQ(at(1, lc_pinfo_amp).toInt(), -1);
    EXPECT_FALSE(m.data(m.index(3, 0)).isValid());
    EXPECT_FALSE(m.data(m.index(0, 0), Qt::DecorationRole).isValid());
}

TEST(LogTableConversion, ShowsProgressAndSetsTheResultLine)
{
    TLogStore store;
    test::FillStore(store, 250);
    TRecordingFeedback feedback;
    int pumps = 0;
    TOperationContext context;
    context.Feedback = &feedback;
    context.ProcessEvents = [&] { ++pumps; };
    QStringList labels;
    TLogTable table;
    ASSERT_TRUE(table.ConvertToTable(store, context, [&](const QString& s) { labels << s; }));
    EXPECT_EQ(labels, QStringList({"Converting ...", "Result: 250 record(s) readed."}));
    ASSERT_EQ(feedback.opened.size(), 1);
    const TProgressOptions& o = feedback.opened[0];
    EXPECT_EQ(o.caption, "Processing");
    EXPECT_EQ(o.text, "Converting ... \rPlease Wait!");
    EXPECT_EQ(o.maximum, 249);
    EXPECT_TRUE(o.cancelButton);
    EXPECT_EQ(o.centre, TCentre::Screen);
    EXPECT_EQ(feedback.dialogs[0]->positions.last(), 249);
    EXPECT_EQ(feedback.openNow, 0) << "the dialog is gone afterwards";
    EXPECT_EQ(pumps, 2 + 2) << "before and after, and after rows 100 and 200";
    for (int i : {0, 137, 249}) EXPECT_EQ(table.Model().Record(i), LogRecordFromRow(store.Row(i)));

    // Converted already: nothing happens until the store changes.
    EXPECT_TRUE(table.ConvertToTable(store, context, [&](const QString& s) { labels << s; }));
    EXPECT_EQ(feedback.opened.size(), 1);
    EXPECT_EQ(labels.size(), 2);
    table.SetStale();
    test::FillStore(store, 7);
    EXPECT_TRUE(table.ConvertToTable(store, context));
    EXPECT_EQ(table.Model().RecordCount(), 7);
}

TEST(LogTableConversion, CancelKeepsTheRowsAddedButCountsAsNotConverted)
{
    TLogStore store;
    test::FillStore(store, 300);
    TRecordingFeedback feedback;
    feedback.cancelAfterChecks(150);
    TOperationContext context;
    context.Feedback = &feedback;
    QStringList labels;
    TLogTable table;
    EXPECT_FALSE(table.ConvertToTable(store, context, [&](const QString& s) { labels << s; }));
    EXPECT_FALSE(table.TableConverted());
    EXPECT_EQ(table.Model().RecordCount(), 151) << "the row of the cancelling check was added first";
    EXPECT_EQ(labels.last(), QString());

    // The next attempt starts from scratch.
    feedback.cancelAfterChecks(-1);
    EXPECT_TRUE(table.ConvertToTable(store, context));
    EXPECT_EQ(table.Model().RecordCount(), 300);
    EXPECT_EQ(table.Model().Record(299), LogRecordFromRow(store.Row(299)));
}

TEST(LogFilterProxy, ShowsTheRecordsTheFilterAccepts)
{
    TLogStore store;
    test::FillStore(store, 10);
    TLogTable table;
    ASSERT_TRUE(table.ConvertToTable(store, {}));
    TLogFilterProxy proxy;
    proxy.setSourceModel(&table.Model());
    EXPECT_EQ(proxy.rowCount(), 10);

    int minimum = 20;
    proxy.SetRecordFilter([&](const TLogRecord& r, int) { return r.recindex >= minimum; });
    EXPECT_EQ(proxy.rowCount(), 7); // recindex 3, 10, 17 fall out
    EXPECT_EQ(proxy.mapToSource(proxy.index(0, 0)).row(), 3);
    EXPECT_EQ(proxy.data(proxy.index(0, lc_recindex)).toInt(), 24);

    minimum = 59;
    proxy.RefreshRecordFilter();
    EXPECT_EQ(proxy.rowCount(), 2);
    proxy.SetRecordFilter({});
    EXPECT_EQ(proxy.rowCount(), 10);
}
