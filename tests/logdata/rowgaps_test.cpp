// Where a run of rows is not whole: index skips (the index wraps at 65535), indices that
// do not follow, rows that failed their check, and stretches without a row.
#include "rowgaps.h"
#include "wire/datetime.h"

#include <gtest/gtest.h>

using namespace quentry;

namespace {

TDateTime At(int minute) { return *TryEncodeDateTime(2021, 3, 1) + minute / 1440.0; }

} // namespace

TEST(RowGaps, IndexSkipsDisorderUnreadableRowsAndEmptyIntervals)
{
    struct Case
    {
        const char* what;
        std::vector<TRowStamp> rows;
        std::vector<TGapKind> kinds;
        std::vector<int> missing;
    };
    const TRowStamp bad{0, 0.0, false};
    const Case cases[] = {
        {"consecutive across the wrap", {{65534, At(0)}, {65535, At(5)}, {0, At(10)}, {1, At(15)}}, {}, {}},
        {"three indices skipped", {{10, At(0)}, {11, At(5)}, {15, At(25)}}, {TGapKind::IndexSkip}, {3}},
        {"a skip across the wrap", {{65534, At(0)}, {1, At(15)}}, {TGapKind::IndexSkip}, {2}},
        {"index repeats", {{10, At(0)}, {10, At(5)}}, {TGapKind::IndexDisorder}, {0}},
        {"index goes back", {{500, At(0)}, {200, At(5)}}, {TGapKind::IndexDisorder}, {0}},
        {"a row that failed its check", {{10, At(0)}, bad, {12, At(10)}}, {TGapKind::IndexSkip}, {1}},
        {"an hour without rows, indices go on", {{10, At(0)}, {11, At(5)}, {12, At(65)}, {13, At(70)}},
         {TGapKind::NoRowsLogged}, {0}},
        {"undated rows are not timed", {{10, At(0)}, {11, 0.0}, {12, At(65)}}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<TRowGap> gaps = FindRowGaps(c.rows, 300);
        ASSERT_EQ(gaps.size(), c.kinds.size());
        for (std::size_t i = 0; i < gaps.size(); ++i) {
            EXPECT_EQ(gaps[i].kind, c.kinds[i]);
            EXPECT_EQ(gaps[i].missingRows, c.missing[i]);
        }
    }
    const std::vector<TRowGap> hole = FindRowGaps(std::vector<TRowStamp>{{10, At(0)}, bad, bad, {13, At(15)}}, 300);
    ASSERT_EQ(hole.size(), 1u);
    EXPECT_EQ(hole[0].afterRow, 0);
    EXPECT_EQ(hole[0].beforeRow, 3);
    EXPECT_EQ(hole[0].unreadableRows, 2);
    const std::vector<TRowGap> stretch = FindRowGaps(std::vector<TRowStamp>{{11, At(5)}, {12, At(65)}}, 300);
    ASSERT_EQ(stretch.size(), 1u);
    EXPECT_EQ(stretch[0].emptyIntervals, 11);
}

TEST(RowGaps, TheUsualSpacingIsTheCommonestStep)
{
    EXPECT_EQ(UsualSpacingSeconds(std::vector<TRowStamp>{{1, At(0)}, {2, At(5)}, {3, At(7)}, {4, At(10)},
                                                          {5, At(15)}}),
              300);
    EXPECT_EQ(UsualSpacingSeconds(std::vector<TRowStamp>{{1, At(0)}, {2, At(1)}, {3, At(3)}}), 60) << "a tie: the shorter";
    EXPECT_EQ(UsualSpacingSeconds(std::vector<TRowStamp>{{1, At(0)}, {2, At(0)}}), 0);
    EXPECT_FALSE(IsLoggerStamp(*TryEncodeDateTime(1900, 1, 1)));
    EXPECT_FALSE(IsLoggerStamp(*TryEncodeDateTime(1999, 1, 1)));
    EXPECT_TRUE(IsLoggerStamp(*TryEncodeDateTime(2021, 4, 30, 23, 59)));
}
