// The service report as a customer gets it: the PDF read back with pdftotext holds the
// figures, tables carry their heading onto every page, the file is replaced only whole,
// and the trend breaks where rows are missing.
#include "pdftext.h"
#include "recordingfeedback.h"
#include "reportchart.h"
#include "reportrows.h"
#include "reportvisit.h"
#include "servicereport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

using namespace quentry;
using namespace quentry::test;

namespace {

const QDateTime kMade(QDate(2026, 5, 1), QTime(9, 0));

// Two days of five-minute rows: on the first a CLR resets TOT1 at 12:00, on the second
// TOT1 falls at 08:00 with no event; 6 indices are skipped on the second day.
std::vector<THART_PAS_LOG_Row> Visit()
{
    const QDateTime start(QDate(2021, 3, 1), QTime(0, 0));
    std::vector<THART_PAS_LOG_Row> rows;
    double tot = 5000;
    for (int i = 0; i < 2 * 288; ++i) {
        if (i >= 300 && i < 306) continue; // the skipped indices
        quint8 event = kScheduled;
        if (i == 144) {
            tot = 0;
            event = kClr;
        }
        if (i == 288 + 96) tot -= 40;
        rows.push_back(ReportRow(start.addSecs(300 * i), quint16(100 + i), 1.0 + (i % 24) * 0.5, tot, event));
        tot += 0.5;
    }
    return rows;
}

QString Normalised(const QString& text) { return text.simplified(); }

struct ServiceReport : ::testing::Test
{
    QTemporaryDir dir;
    TRecordingFeedback feedback;
    TOperationContext context;

    void SetUp() override { context.Feedback = &feedback; }

    TReportFileResult Write(const QString& path, const std::vector<THART_PAS_LOG_Row>& rows, const TReportVisit& visit)
    {
        return WriteServiceReport(path, rows, visit, context, kMade);
    }
};

} // namespace

TEST_F(ServiceReport, ThePdfTextHoldsTheFiguresInOrder)
{
    TReportVisit visit;
    visit.identity = TReportIdentity{97, 225, 1234567, 0};
    visit.protocol = ProtocolText(prt_MODE3);
    visit.adapter = AdapterText(adt_USB, iratype_RS232);
    visit.source = QStringLiteral("image file site.img");
    visit.sha256 = ImageSha256(Visit());
    const QString pdf = dir.filePath("report.pdf");
    const TReportFileResult r = Write(pdf, Visit(), visit);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_TRUE(feedback.errors.isEmpty());
    EXPECT_EQ(feedback.opened.size(), 1) << "one progress dialog";

    const auto text = PdfText(pdf, {"-layout"});
    if (!text) GTEST_SKIP() << PdfTextMissing().toStdString();
    const QString t = Normalised(*text);
    const QStringList inOrder = {
        "Service Report",
        "Transmitter 97 / 225 / 1234567, 2021-03-01 00:00 to 2021-03-02 23:55",
        "1. Transmitter", "Manufacturer id 97", "Device id 1234567", "Protocol FAST (MODE3)", "Adapter TAVIX - USB",
        "2. Visit", "Clock check not read", "Logger configuration not read",
        "3. Data", "Source image file site.img", "SHA-256 " + visit.sha256,
        "Period 2021-03-01 00:00 to 2021-03-02 23:55 (1 day 23 h 55 min)",
        "Rows 570", "Logging interval 5 min",
        "Coverage 98.9 % (570 of 576 expected rows at that interval)", "Rows missing 6",
        "index skip in the rows (cause not recorded)",
        "2021-03-01 100 % 2021-03-02 97.9 %",
        "4. Daily values",
        // 1 March: 71.5 up to the reset at 12:00, 71.5 after it.
        "2021-03-01 288", "5000.000 71.500 143.000 reset 12:00 (CLR); volume 71.500 + 71.500",
        "2021-03-02 282", "totaliser fell, not summed TOT1 fell 08:00",
        "Total volume 143.000 cum (1 of 2 days not summed)",
        "5. Events and errors", "CLR 1", "SCHEDULED 569",
        "6. Trend", "Logger Trend",
    };
    qsizetype at = 0;
    for (const QString& s : inOrder) {
        const qsizetype found = t.indexOf(s, at);
        EXPECT_GE(found, 0) << "missing or out of order: " << s.toStdString();
        if (found >= 0) at = found + s.size();
    }
    EXPECT_TRUE(t.contains("Quentry 1.21 \u00b7 service report made 2026-05-01 09:00")) << "the footer";
    EXPECT_EQ(t.count(QRegularExpression("Page \\d of 2")), 2);
    EXPECT_EQ(r.pages, 2);
    EXPECT_EQ(r.records, 570);
}

TEST_F(ServiceReport, ALongTableCarriesItsHeadingOntoTheNextPage)
{
    // 40 days, one row an hour: the daily table runs over a page.
    std::vector<THART_PAS_LOG_Row> rows;
    const QDateTime start(QDate(2021, 1, 10), QTime(0, 0));
    for (int i = 0; i < 40 * 24; ++i) rows.push_back(ReportRow(start.addSecs(3600 * i), quint16(i), 1, 10.0 * i));
    const QString pdf = dir.filePath("long.pdf");
    ASSERT_TRUE(Write(pdf, rows, {}).ok);
    const auto page2 = PdfText(pdf, {"-f", "2", "-l", "2"});
    if (!page2) GTEST_SKIP() << PdfTextMissing().toStdString();
    EXPECT_TRUE(page2->contains("PV min")) << page2->toStdString();
    EXPECT_TRUE(page2->contains("2021-02-18")) << "the last day";
    const QString all = Normalised(*PdfText(pdf));
    EXPECT_TRUE(all.contains("Month totals")) << "January and February";
    EXPECT_TRUE(all.contains("2021-01 22 5060.000")) << all.toStdString();
}

TEST_F(ServiceReport, TheFileIsReplacedOnlyWhenWhole)
{
    const QString pdf = dir.filePath("report.pdf");
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("an earlier report");
    }
    const std::vector<THART_PAS_LOG_Row> rows = EveryFiveMinutes(QDateTime(QDate(2021, 3, 1), QTime(0, 0)), 20, 1);
    ASSERT_TRUE(Write(pdf, rows, {}).ok);
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("%PDF"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"report.pdf"}) << "no temporary file left";

    const TReportFileResult refused = Write(dir.filePath("no/such/dir/report.pdf"), rows, {});
    EXPECT_FALSE(refused.ok);
    ASSERT_EQ(feedback.errors.size(), 1);
    EXPECT_TRUE(feedback.errors[0].startsWith("The service report could not be written to report.pdf"))
        << feedback.errors[0].toStdString();
    EXPECT_FALSE(Write(pdf, {}, {}).ok) << "no rows, no report";
}

TEST(ReportChart, TheTrendBreaksWhereRowsAreMissingAndLeavesOutRowsWithoutValues)
{
    std::vector<THART_PAS_LOG_Row> rows = Visit();
    rows[10].event = kChecksumErrorEvent; // failed its check: not plotted, and missing
    TReportChart chart(rows);
    const TTrendSeries& s = chart.Series();
    QVector<double> breaks;
    for (int i = 0; i < s.PV.size(); ++i)
        if (std::isnan(s.PV.y[i])) breaks << s.PV.x[i];
    EXPECT_EQ(breaks, (QVector<double>{10.5, 300.5})) << "around the bad row and the skipped indices";
    EXPECT_EQ(s.PV.size(), int(rows.size()) - 1 + 2);
    EXPECT_EQ(s.RightSeriesTitle, "Temperature");
}
