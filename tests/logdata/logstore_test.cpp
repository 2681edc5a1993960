// The log store, the elapsed-time text and the reading progress lines.
#include "elapsed.h"
#include "logstore.h"
#include "logtexts.h"
#include "recordingfeedback.h"
#include "testrows.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using namespace quentry;
using quentry::test::TRecordingFeedback;

TEST(LogStore, HoldsTwelveThousandTwoHundredEightyNineRowsAndRefusesTheNext)
{
    TRecordingFeedback feedback;
    TLogStore store(&feedback);
    EXPECT_EQ(store.LogRows().size(), 12289u);
    const THART_PAS_LOG_Row row = test::MakeTestRow(1);
    for (int i = 0; i < kLogArrayRows; ++i) ASSERT_TRUE(store.Log_AddToArray(row));
    EXPECT_EQ(store.LogCount(), 12289);
    EXPECT_TRUE(feedback.errors.isEmpty());

    EXPECT_FALSE(store.Log_AddToArray(test::MakeTestRow(2)));
    EXPECT_FALSE(store.Log_AddToArray(test::MakeTestRow(3)));
    EXPECT_EQ(store.LogCount(), 12289);
    EXPECT_EQ(store.RefusedCount(), 2);
    EXPECT_EQ(store.Row(12288), row);
    ASSERT_EQ(feedback.errors.size(), 1) << "reported once, not once per row";

    store.Clear();
    EXPECT_EQ(store.LogCount(), 0);
    EXPECT_EQ(store.RefusedCount(), 0);
    EXPECT_EQ(store.Row(12288), THART_PAS_LOG_Row{});
    EXPECT_EQ(store.Row(0).eventstr.chars[99], 0) << "zero-filled, bytes beyond the text included";
}

namespace {

struct TFakeClock
{
    double now = 0;
    TElapsedClock clock{[this] { return now; }};
    void at(double seconds) { now = 40000.0 + seconds / 86400.0; }
};

} // namespace

TEST(FormatElapsed, MinutesAndTwoDigitSecondsWithTheExpectedTotal)
{
    TFakeClock c;
    c.at(0);
    c.clock.Start();
    struct Case
    {
        double seconds, percent;
        const char* text;
    };
    const Case cases[] = {
        {125, 25, "Elapsed Time: 2.05 [min] - Estimated Time: 8.20 [min]"},
        {125, 1, "Elapsed Time: 2.05 [min]"},
        {125, 100, "Elapsed Time: 2.05 [min]"},
        {125, 0, "Elapsed Time: 2.05 [min]"},
        {125, 150, "Elapsed Time: 2.05 [min]"},
        {59.999, 50, "Elapsed Time: 0.59 [min] - Estimated Time: 1.58 [min]"},
        {5, 40, "Elapsed Time: 0.05 [min] - Estimated Time: 0.12 [min]"}, // 12.5 s: half to even
        {7, 40, "Elapsed Time: 0.07 [min] - Estimated Time: 0.18 [min]"}, // 17.5 s
        {3725, 1.0001, "Elapsed Time: 62.05 [min] - Estimated Time: 6207.43 [min]"},
        {125, std::numeric_limits<double>::quiet_NaN(), "Elapsed Time: 2.05 [min]"},
        {-30, 50, "Elapsed Time: 0.00 [min] - Estimated Time: 0.00 [min]"}, // clock set back
    };
    for (const Case& k : cases) {
        c.at(k.seconds);
        EXPECT_EQ(c.clock.FormatElapsed(k.percent), QString::fromLatin1(k.text)) << k.seconds << " s at " << k.percent;
    }
}

TEST(FormatElapsed, PercentOfASingleRowNeedsNoDivision)
{
    EXPECT_EQ(PercentOf(0, 0), 100);
    EXPECT_EQ(PercentOf(5, -1), 100);
    EXPECT_EQ(PercentOf(3, 12), 25);
    EXPECT_FALSE(std::isnan(PercentOf(0, 0)));
}

TEST(FormatElapsed, SteadyClockAdvancesFromTheWallClock)
{
    const double a = TElapsedClock::SteadyNow();
    const double b = TElapsedClock::SteadyNow();
    EXPECT_GE(b, a);
    EXPECT_NEAR(a, nowDateTime(), 1.0 / 86400.0 * 5);
}

TEST(ReadingLines, TextsAndPercentages)
{
    EXPECT_EQ(TotalRecText(12288, 24, 1023), "Total: 12288, Current: 24, Last Index: 1023");
    EXPECT_EQ(ResultRecText(3), "Result: 3 record(s) readed.");
    EXPECT_EQ(ReadGaugePercent(0, 8), 12);   // 12.5: half to even
    EXPECT_EQ(ReadGaugePercent(2, 8), 38);   // 37.5
    EXPECT_EQ(ReadGaugePercent(99, 100), 100);
    EXPECT_EQ(ReadGaugePercent(5, 0), std::nullopt);
    EXPECT_EQ(ReadFinishedPercent(50, 200), 25.0);
    EXPECT_EQ(ReadFinishedPercent(50, 0), 0.0);
}
