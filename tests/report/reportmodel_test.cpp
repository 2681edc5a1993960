// The service report's figures and wording without a page: daily volumes across resets
// and unexplained falls, month totals, coverage with a gap, what a bare image cannot say.
#include "reportdocument.h"
#include "reportfigures.h"
#include "reportrows.h"

#include <gtest/gtest.h>

using namespace quentry;
using namespace quentry::test;

namespace {

const QDateTime kDay(QDate(2021, 3, 1), QTime(0, 0));

struct TTot
{
    double tot1;
    quint8 event = kScheduled;
    const char* unit = "cum";
};

// One row an hour on kDay.
std::vector<THART_PAS_LOG_Row> Day(std::initializer_list<TTot> tots)
{
    std::vector<THART_PAS_LOG_Row> rows;
    int i = 0;
    for (const TTot& t : tots) {
        rows.push_back(ReportRow(kDay.addSecs(3600 * i), quint16(i), 1.0 + i, t.tot1, t.event));
        rows.back().TOTunitstr = QString::fromLatin1(t.unit);
        ++i;
    }
    return rows;
}

TDayFigures Figures(const std::vector<THART_PAS_LOG_Row>& rows)
{
    std::vector<const THART_PAS_LOG_Row*> pointers;
    for (const THART_PAS_LOG_Row& r : rows) pointers.push_back(&r);
    return ComputeDayFigures(kDay.date(), pointers);
}

const TReportField* Field(const TReportDocument& d, const QString& label)
{
    for (const TReportSection& s : d.sections)
        for (const TReportBlock& b : s.blocks)
            for (const TReportField& f : b.fields)
                if (f.label == label) return &f;
    return nullptr;
}

QString FieldValue(const TReportDocument& d, const QString& label)
{
    const TReportField* f = Field(d, label);
    return f ? f->value : QStringLiteral("<none>");
}

const TReportTable* Table(const TReportDocument& d, const QString& caption)
{
    for (const TReportSection& s : d.sections)
        for (const TReportBlock& b : s.blocks)
            if (b.kind == TReportBlock::TKind::Table && (b.text == caption || s.title == caption)) return &b.table;
    return nullptr;
}

} // namespace

TEST(DailyVolumes, ResetsSplitTheDayAndAnUnexplainedFallIsNotSummed)
{
    struct Case
    {
        const char* what;
        std::vector<THART_PAS_LOG_Row> rows;
        TDayVolume state;
        double volume;
        std::vector<double> parts;
        QStringList resets; // "hh:mm event"
    };
    const Case cases[] = {
        {"rising", Day({{100}, {110}, {125}}), TDayVolume::Summed, 25, {}, {}},
        {"fall at the CLR row", Day({{200}, {210}, {2, kClr}, {12}, {22}}), TDayVolume::Summed, 30, {10, 20},
         {"02:00 CLR"}},
        {"TOT1CLR row carries the old total, the fall follows", Day({{300}, {310, kTot1Clr}, {5}, {15}}),
         TDayVolume::Summed, 20, {10, 10}, {"02:00 TOT1CLR"}},
        {"reset event without a fall", Day({{500}, {510}, {515, kClr}, {525}}), TDayVolume::Summed, 20, {10, 10},
         {"02:00 CLR"}},
        {"reset event at the day's first row", Day({{3, kClr}, {13}}), TDayVolume::Summed, 10, {}, {}},
        {"fall without a reset event", Day({{400}, {410}, {405}, {415}}), TDayVolume::Fell, 0, {}, {}},
        {"explained reset, then an unexplained fall", Day({{50}, {0, kClr}, {20}, {10}}), TDayVolume::Fell, 0, {},
         {"01:00 CLR"}},
        {"unit changed", Day({{1}, {2, kScheduled, "liter"}}), TDayVolume::UnitChanged, 0, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TDayFigures f = Figures(c.rows);
        EXPECT_EQ(f.volumeState, c.state);
        EXPECT_DOUBLE_EQ(f.volume, c.volume);
        EXPECT_EQ(f.parts, c.parts);
        QStringList resets;
        for (const TTotaliserReset& r : f.resets)
            resets << toQDateTime(r.at).toString("HH:mm") + QLatin1Char(' ') + r.event;
        EXPECT_EQ(resets, c.resets);
        EXPECT_DOUBLE_EQ(f.tot1First, c.rows.front().TOT1);
        EXPECT_DOUBLE_EQ(f.tot1Last, c.rows.back().TOT1);
    }
    const TDayFigures fell = Figures(Day({{400}, {410}, {405}, {415}}));
    EXPECT_EQ(toQDateTime(fell.fellAt).time(), QTime(2, 0));
    EXPECT_EQ(fell.fellFrom, 410);
    EXPECT_EQ(fell.fellTo, 405);
    const TDayFigures pv = Figures(Day({{1}, {2}, {3}, {4}}));
    EXPECT_EQ(pv.pvMin, 1);
    EXPECT_EQ(pv.pvMax, 4);
    EXPECT_EQ(pv.pvMean, 2.5);
}

TEST(DailyVolumes, TheTableAndMonthTotalsSayWhatWasSummed)
{
    // 28 February: a reset; 1 March: plain; 2 March: TOT1 falls with no reset event.
    std::vector<THART_PAS_LOG_Row> rows;
    const QDateTime feb28(QDate(2021, 2, 28), QTime(0, 0));
    auto day = [&](int offset, std::initializer_list<TTot> tots) {
        int hour = 0;
        for (const TTot& t : tots)
            rows.push_back(ReportRow(feb28.addDays(offset).addSecs(3600 * hour++), quint16(500 + rows.size()), 1,
                                     t.tot1, t.event));
    };
    day(0, {{100}, {150}, {2, kClr}, {40}});
    day(1, {{50}, {70}, {95}});
    day(2, {{95}, {120}, {80}, {90}});

    const TReportFigures f = ComputeReportFigures(rows);
    ASSERT_EQ(f.days.size(), 3u);
    EXPECT_EQ(f.days[0].volume, 50 + 38);
    EXPECT_EQ(f.days[1].volume, 45);
    EXPECT_EQ(f.days[2].volumeState, TDayVolume::Fell);
    ASSERT_EQ(f.months.size(), 2u);
    EXPECT_EQ(f.months[0].volume, 88);
    EXPECT_EQ(f.months[0].resets, 1);
    EXPECT_EQ(f.months[1].days, 2);
    EXPECT_EQ(f.months[1].daysSummed, 1);
    EXPECT_EQ(f.months[1].volume, 45);

    const TReportDocument d = ComposeServiceReport(f, {}, QDateTime(QDate(2026, 5, 1), QTime(9, 0)));
    const TReportTable* daily = Table(d, "4. Daily values");
    ASSERT_NE(daily, nullptr);
    ASSERT_EQ(daily->rows.size(), 3u);
    EXPECT_EQ(daily->header[2], "PV min\n(liter/s)");
    EXPECT_EQ(daily->header[7], "Volume\n(cum)");
    EXPECT_EQ(daily->rows[0][7], "88.000");
    EXPECT_EQ(daily->rows[0][8], "reset 02:00 (CLR); volume 50.000 + 38.000");
    EXPECT_EQ(daily->rows[2][7], "totaliser fell, not summed");
    EXPECT_EQ(daily->rows[2][8], "TOT1 fell 02:00 from 120.000 to 80.000");
    const TReportTable* months = Table(d, "Month totals");
    ASSERT_NE(months, nullptr);
    EXPECT_EQ(months->rows[0], (QStringList{"2021-02", "1", "88.000", "1 reset"}));
    EXPECT_EQ(months->rows[1], (QStringList{"2021-03", "2", "45.000", "1 of 2 days not summed"}));
    EXPECT_EQ(months->rows[2], (QStringList{"Total", "3", "133.000", "1 of 3 days not summed"}));
}

TEST(Coverage, AGapLowersTheDayItFallsOnAndEventRowsNeverPassAHundred)
{
    // 1 March: 288 five-minute slots, 12 of them skipped from 10:00; an event row at 10:02
    // falls into a slot a scheduled row fills anyway. 2 March: six hours, whole.
    std::vector<THART_PAS_LOG_Row> rows = EveryFiveMinutes(kDay, 120, 1);
    const std::vector<THART_PAS_LOG_Row> rest = EveryFiveMinutes(kDay.addSecs(11 * 3600), 156 + 72, 133, 2000);
    rows.push_back(ReportRow(kDay.addSecs(10 * 3600 - 180), 121, 1, 1119.5, 18));
    rows.insert(rows.end(), rest.begin(), rest.end());
    // Indices 1..120, 121 (event row), then 133..: 11 indices skipped.

    const TReportFigures f = ComputeReportFigures(rows);
    EXPECT_EQ(f.spacingSeconds, 300);
    EXPECT_EQ(f.coverage.overall.expected, 288 + 72);
    EXPECT_EQ(f.coverage.overall.present, 276 + 72);
    ASSERT_EQ(f.coverage.byDay.size(), 2u);
    const TCoverage day1 = f.coverage.byDay.at(kDay.date());
    EXPECT_EQ(day1.present, 276);
    EXPECT_EQ(day1.expected, 288);
    EXPECT_EQ(CoveragePercentText(day1), "95.8 %");
    EXPECT_EQ(CoveragePercentText(f.coverage.byDay.at(kDay.date().addDays(1))), "100 %");
    EXPECT_EQ(CoveragePercentText({287, 288}), "99.6 %") << "cut, never rounded up to 100";

    ASSERT_EQ(f.gaps.size(), 1u);
    EXPECT_EQ(f.gaps[0].kind, TGapKind::IndexSkip);
    EXPECT_EQ(f.gaps[0].missingRows, 11);
    EXPECT_EQ(f.rowsMissing, 11);

    const TReportDocument d = ComposeServiceReport(f, {}, QDateTime::currentDateTime());
    EXPECT_EQ(FieldValue(d, "Coverage"), "96.6 % (348 of 360 expected rows at that interval)");
    EXPECT_EQ(FieldValue(d, "Logging interval"), "5 min (the usual spacing of the rows)");
    EXPECT_EQ(FieldValue(d, "Rows missing"), "11");
    const TReportTable* gaps = Table(d, "Gaps");
    ASSERT_NE(gaps, nullptr);
    ASSERT_EQ(gaps->rows.size(), 1u);
    EXPECT_EQ(gaps->rows[0], (QStringList{"121 at 2021-03-01 09:57", "133 at 2021-03-01 11:00", "11",
                                          "index skip in the rows (cause not recorded)"}));
    const TReportTable* perDay = Table(d, "Coverage per day");
    ASSERT_NE(perDay, nullptr);
    EXPECT_EQ(perDay->rows[0].mid(0, 4), (QStringList{"2021-03-01", "95.8 %", "2021-03-02", "100 %"}));
}

TEST(ReportText, ABareImageSaysWhatItCannotKnowAndAVisitFillsItIn)
{
    const TReportFigures f = ComputeReportFigures(EveryFiveMinutes(kDay, 10, 1));
    const TReportDocument bare = ComposeServiceReport(f, {}, QDateTime::currentDateTime());
    EXPECT_EQ(FieldValue(bare, "Identity"), "not recorded in this file");
    EXPECT_EQ(FieldValue(bare, "Protocol"), "not recorded in this file");
    EXPECT_EQ(FieldValue(bare, "Adapter"), "not recorded in this file");
    EXPECT_EQ(FieldValue(bare, "Clock check"), "not read");
    EXPECT_EQ(FieldValue(bare, "Logger configuration"), "not read");
    EXPECT_EQ(FieldValue(bare, "Manufacturer id"), "<none>");

    TReportVisit v;
    v.identity = TReportIdentity{97, 225, 1234567, 3};
    v.protocol = ProtocolText(prt_HART);
    v.adapter = AdapterText(adt_None, iratype_RS232);
    TReportClockCheck clock;
    clock.transmitter = QDateTime(QDate(2021, 4, 20), QTime(10, 5));
    clock.pc = QDateTime(QDate(2021, 4, 20), QTime(10, 6, 30));
    v.clock = clock;
    TLoggerConfig config;
    config.digits = SplitDigits(111); // scheduled, errors and warnings, status changes
    config.value1 = 300;
    v.loggerConfig = config;
    v.sha256 = QString(64, QLatin1Char('a'));
    const TReportDocument d = ComposeServiceReport(f, v, QDateTime::currentDateTime());
    EXPECT_EQ(FieldValue(d, "Manufacturer id"), "97");
    EXPECT_EQ(FieldValue(d, "Device id"), "1234567");
    EXPECT_EQ(FieldValue(d, "Polling address"), "3");
    EXPECT_EQ(FieldValue(d, "Protocol"), "HART");
    EXPECT_EQ(FieldValue(d, "Adapter"), "HART MODEM");
    EXPECT_EQ(FieldValue(d, "Clock offset"), "-90 s, transmitter behind this PC (its clock is read to the minute)");
    EXPECT_EQ(FieldValue(d, "Drift since the previous visit"), "no previous visit known");
    EXPECT_EQ(FieldValue(d, "Logger mode"), "Linear Mode (Scheduled Mode)");
    EXPECT_EQ(FieldValue(d, "Extended events"), "Errors And Warnings");
    EXPECT_EQ(FieldValue(d, "Cycle Time (sec)"), "300");
    ASSERT_NE(Field(d, "SHA-256"), nullptr);
    EXPECT_TRUE(Field(d, "SHA-256")->fixedPitch);
    EXPECT_EQ(d.subtitle, "Transmitter 97 / 225 / 1234567, 2021-03-01 00:00 to 2021-03-01 00:45");
}

TEST(ReportText, EventsAndErrorBitsAreCountedByText)
{
    std::vector<THART_PAS_LOG_Row> rows = EveryFiveMinutes(kDay, 4, 1);
    rows[1].es.error = 0x0001 | 0x0100; // no echo, warning "Err 7"
    rows[2].es.error = 0x0001 | 0x4000;
    rows[3] = THART_PAS_LOG_Row();      // failed its check: no values, no time
    rows[3].event = kChecksumErrorEvent;
    rows[3].eventstr = QStringLiteral("CHECKSUM ERROR");
    const TReportFigures f = ComputeReportFigures(rows);
    ASSERT_EQ(f.events.size(), 2u);
    EXPECT_EQ(f.events[0].text, "SCHEDULED");
    EXPECT_EQ(f.events[0].count, 3);
    EXPECT_EQ(f.events[1].text, "CHECKSUM ERROR");
    ASSERT_EQ(f.errorBits.size(), 3u);
    EXPECT_EQ(f.errorBits[0].text, "No Echo");
    EXPECT_EQ(f.errorBits[0].count, 2);
    EXPECT_EQ(f.errorBits[1].text, "Err 7");
    EXPECT_EQ(f.errorBits[2].text, "bit 14");
    EXPECT_EQ(f.unreadableRows, 1);
    EXPECT_EQ(f.valueRows, 3);
    const TReportDocument d = ComposeServiceReport(f, {}, QDateTime::currentDateTime());
    EXPECT_EQ(FieldValue(d, "Rows"), "4, of them 1 failed their check when read");
}
