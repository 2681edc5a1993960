// The lines shown about the history, the transmitter key as typed and printed, and where
// the history file is taken from.
#include "historylocation.h"
#include "historyrows.h"
#include "historytexts.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quentry;

TEST(HistoryTexts, Lines)
{
    const struct
    {
        QString got, want;
    } cases[] = {
        {GroupedNumber(2016), "2016"},
        {GroupedNumber(10433), "10 433"},
        {GroupedNumber(1000000), "1 000 000"},
        {GroupedNumber(-24576), "-24 576"},
        {ClockLine({92.0, 1, {}}, 1.3), "Clock: 92.0 s ahead of this PC (drift +1.3 s/day)"},
        {ClockLine({-4.24, 1, {}}, std::nullopt), "Clock: 4.2 s behind this PC"},
        {ClockLine({-0.04, 1, {}}, -0.21), "Clock: 0.0 s behind this PC (drift -0.2 s/day)"},
        {ClockLine({90.0, 60, {}}, std::nullopt), "Clock: about 90 s ahead of this PC (read to the minute)"},
        {ClockLine({-31.0, 60, {}}, 0.5), "Clock: about 31 s behind this PC (read to the minute, drift +0.5 s/day)"},
        {ClockLine({-12.0, 60, {}}, std::nullopt), "Clock: within a minute of this PC (read to the minute)"},
        {ClockWarningLine({92.0, 1, {}}, 60, "under Logger Settings > Sync"),
         "Warning: the transmitter's clock is 92.0 s ahead of this PC, more than 60 s: set it under Logger Settings > "
         "Sync."},
        {JoinResultLine({2016, 10433, {}, 0, 0, {}}), "Result: 2016 new record(s), joined at index 10 433; nothing missing."},
        {JoinResultLine({12288, std::nullopt, {{10434, 10554, 1, 2, TGapCause::Overwritten}}, 121, 0, {}}),
         "Result: 12 288 new record(s); 121 row(s) overwritten before they were read (index 10 434 - 10 554)."},
        {JoinResultLine({5, 7, {{9, 9, 1, 2, TGapCause::Missing}, {11, 12, 1, 2, TGapCause::Unreadable}}, 3, 1,
                         "the join row was not where it should be: everything was read"}),
         "Result: 5 new record(s), joined at index 7; 1 row(s) missing from the logger (index 9), 2 row(s) unreadable "
         "(index 11 - 12); 1 row(s) differ from held rows of the same time and index and are kept beside them; the "
         "join row was not where it should be: everything was read."},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.want);

    EXPECT_TRUE(ClockBeyond({61.0, 1, {}}, 60));
    EXPECT_FALSE(ClockBeyond({60.4, 1, {}}, 60));
    EXPECT_FALSE(ClockBeyond({-89.0, 60, {}}, 60)); // read to the minute: could be 59 s
    EXPECT_TRUE(ClockBeyond({-91.0, 60, {}}, 60));
}

TEST(HistoryTexts, MemoLine)
{
    EXPECT_EQ(HistoryMemoLine(nullptr), "Site history: nothing yet for this transmitter");
    TTransmitterSummary s;
    s.visits = 14;
    s.firstVisit = QDateTime(QDate(2026, 3, 2), QTime(12, 0)).toUTC();
    s.rows = 24576;
    s.gaps = 1;
    s.gapRows[int(TGapCause::Overwritten)] = 121;
    EXPECT_EQ(HistoryMemoLine(&s),
              "Site history: 14 visits since 2026-03-02, 24 576 rows, 1 gap (121 rows overwritten before they were read)");
    s.visits = 1;
    s.rows = 1;
    s.gaps = 3;
    s.gapRows[int(TGapCause::Overwritten)] = 1;
    s.gapRows[int(TGapCause::Missing)] = 2;
    s.gapRows[int(TGapCause::Unreadable)] = 1;
    EXPECT_EQ(HistoryMemoLine(&s), "Site history: 1 visit since 2026-03-02, 1 row, 3 gaps (1 row overwritten before it "
                                   "was read, 2 rows missing from the logger, 1 row unreadable)");
    s.gaps = 0;
    EXPECT_EQ(HistoryMemoLine(&s), "Site history: 1 visit since 2026-03-02, 1 row, no gaps");
}

TEST(HistoryKey, AsTypedAndPrinted)
{
    THART_PAS_UniqueID id;
    id.FactoryID = 96;
    id.DeviceTypeID = 81;
    id.DeviceID = 74565;
    EXPECT_EQ(TDeviceKey::FromIdentity(id).text(), "96-81-74565");
    EXPECT_EQ(TDeviceKey::Parse(" 96-81-74565 "), TDeviceKey::FromIdentity(id));
    EXPECT_EQ(TDeviceKey::Parse("0-0-16777215"), (TDeviceKey{0, 0, 16777215}));
    for (const char* bad : {"", "96-81", "96-81-74565-1", "256-81-1", "96-x-1", "96-81-16777216", "96 81 74565"})
        EXPECT_FALSE(TDeviceKey::Parse(bad)) << bad;
}

TEST(HistoryLocation, FirstRuleThatApplies)
{
    QTemporaryDir site, settings;
    THistoryLocation l;
    l.settingsDir = settings.path();
    EXPECT_TRUE(l.Path().endsWith("/history.sqlite"));
    EXPECT_FALSE(l.Path().startsWith(site.path()));
    l.siteDir = site.path();
    EXPECT_EQ(l.Path(), QDir(site.path()).filePath("history.sqlite"));
    l.siteDir = site.filePath("missing");
    EXPECT_FALSE(l.Path().startsWith(site.path()));
    l.settingsKey = "records/site.sqlite";
    EXPECT_EQ(l.Path(), QDir(settings.path()).filePath("records/site.sqlite"));
    l.commandLine = site.filePath("mine.sqlite");
    EXPECT_EQ(l.Path(), site.filePath("mine.sqlite"));
}
