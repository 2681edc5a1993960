// The fault grammar and how rules count requests.
#include "faultplan.h"

#include <gtest/gtest.h>

using namespace quentry::emulator;

namespace {

TRequestFacts request(int cmd) { return {cmd, false, false, false}; }

std::vector<bool> dropsOver(const QString& rules, int n, const TRequestFacts& facts = request(0), quint64 seed = 1)
{
    TFaultInjector f(*TFaultPlan::parse(rules), seed);
    std::vector<bool> out;
    for (int i = 0; i < n; ++i) out.push_back(f.evaluate(facts).drop);
    return out;
}

} // namespace

TEST(FaultPlan, WhenSelectsRequests)
{
    using V = std::vector<bool>;
    EXPECT_EQ(dropsOver("drop", 3), (V{true, false, false}));
    EXPECT_EQ(dropsOver("drop=2", 3), (V{false, true, false}));
    EXPECT_EQ(dropsOver("drop=2-3", 4), (V{false, true, true, false}));
    EXPECT_EQ(dropsOver("drop=3+", 4), (V{false, false, true, true}));
    EXPECT_EQ(dropsOver("drop=*", 2), (V{true, true}));
    EXPECT_EQ(dropsOver("drop/164=*", 2), (V{false, false}));
    EXPECT_EQ(dropsOver("drop/adapter", 1), (V{false}));
    EXPECT_EQ(dropsOver("drop/adapter", 1, request(kAdapterCommand)), (V{true}));
}

TEST(FaultPlan, PercentagesFollowTheSeed)
{
    const auto a = dropsOver("drop=30%", 1000, request(0), 5);
    EXPECT_EQ(a, dropsOver("drop=30%", 1000, request(0), 5));
    EXPECT_NE(a, dropsOver("drop=30%", 1000, request(0), 6));
    const auto hits = std::count(a.begin(), a.end(), true);
    EXPECT_GT(hits, 240);
    EXPECT_LT(hits, 360);
}

TEST(FaultPlan, RulesCountOnlyTheirKindOfRequest)
{
    TFaultInjector f(*TFaultPlan::parse("rowchk=2:4,jump=1:3,readerror/164=2,chk"), 1);
    const TRequestFacts page{106, false, false, true}, next{164, true, true, false}, current{164, true, false, false};
    EXPECT_EQ(f.evaluate(page).spoiledRows, 0);  // first page read; also the one chk hits
    EXPECT_EQ(f.evaluate(current).jumpRows, 0);  // a read of the current row does not count for jump
    const TFaultHits n = f.evaluate(next);
    EXPECT_EQ(n.jumpRows, 3);
    EXPECT_TRUE(n.readError);                    // second record read
    EXPECT_EQ(f.evaluate(page).spoiledRows, 1 << 3);
}

TEST(FaultPlan, RejectsWhatItCannotMean)
{
    for (const char* bad : {"explode", "drop=0", "drop=3-2", "rowchk:7", "wp:3", "addr/adapter", "drop/300",
                            "delay:0", "drop=150%", "drop=,chk"}) {
        QString error;
        EXPECT_FALSE(TFaultPlan::parse(QString::fromLatin1(bad), &error)) << bad;
        EXPECT_FALSE(error.isEmpty()) << bad;
    }
    EXPECT_TRUE(TFaultPlan::parse(QString())->empty());
    EXPECT_EQ(TFaultPlan::parse(" delay=1:1200 , unplug=10 ")->rules.size(), 2u);
}
