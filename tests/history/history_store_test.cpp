// The history's rules as one table of cases, run on every backend: visits feed rows in the
// order a logger gives them, and the record afterwards holds each row once, in time and
// index order, with every hole and its cause, and each visit with its counts.
#include "historybackend.h"
#include "historyfeed.h"
#include "historyrows.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace quentry;
using namespace quentry::test;

namespace {

const TDeviceKey kDevice{96, 81, 74565};

// A row fed, or rows the reader gave up on as unreadable (unreadable > 0).
struct TStep
{
    int index = 0, minute = 0, variant = 0;
    quint8 event = 7;
    int unreadable = 0;
};
TStep R(int index, int minute, int variant = 0, quint8 event = 7) { return {index, minute, variant, event, 0}; }
TStep Lost(int n) { return {0, 0, 0, 0, n}; }
// Rows index from..to, five minutes apart from the minute index * 5.
std::vector<TStep> Run(int from, int to)
{
    std::vector<TStep> v;
    for (int i = from; i <= to; ++i) v.push_back(R(i, i * 5));
    return v;
}
std::vector<TStep> operator+(std::vector<TStep> a, const std::vector<TStep>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct TVisitScript
{
    THistoryFeed::TStartsAt from;
    std::vector<TStep> steps;
    TVisitKind kind = TVisitKind::All;
};
TVisitScript Oldest(std::vector<TStep> s) { return {THistoryFeed::TStartsAt::Oldest, std::move(s)}; }
TVisitScript Join(std::vector<TStep> s) { return {THistoryFeed::TStartsAt::JoinRow, std::move(s), TVisitKind::New}; }

struct TCounts
{
    int added, known, beside, missing;
    bool operator==(const TCounts&) const = default;
};
struct THeld
{
    int index, variant;
    bool operator==(const THeld&) const = default;
};
struct TGap
{
    int from, to;
    TGapCause cause;
    bool operator==(const TGap&) const = default;
};

std::vector<THeld> Held(int from, int to)
{
    std::vector<THeld> v;
    for (int i = from; i <= to; ++i) v.push_back({i, 0});
    return v;
}
std::vector<THeld> operator+(std::vector<THeld> a, const std::vector<THeld>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct TCase
{
    const char* what;
    std::vector<TVisitScript> visits;
    std::vector<THeld> held;        // in time and index order
    std::vector<TGap> gaps;         // the holes left, in time order
    std::vector<TCounts> counts;    // per visit
};

const TGapCause M = TGapCause::Missing, U = TGapCause::Unreadable, O = TGapCause::Overwritten;

const std::vector<TCase>& Cases()
{
    static const std::vector<TCase> cases = {
        {"first visit", {Oldest(Run(0, 9))}, Held(0, 9), {}, {{10, 0, 0, 0}}},
        {"the same rows again are kept once", {Oldest(Run(0, 9)), Oldest(Run(0, 9))}, Held(0, 9), {},
         {{10, 0, 0, 0}, {0, 10, 0, 0}}},
        {"a revisit from its join row", {Oldest(Run(0, 9)), Join(Run(9, 14))}, Held(0, 14), {},
         {{10, 0, 0, 0}, {5, 1, 0, 0}}},
        {"same stamp and index, other content: kept beside",
         {Oldest(Run(0, 4)), Join({R(4, 20, 1), R(5, 25)})}, Held(0, 3) + std::vector<THeld>{{4, 0}, {4, 1}, {5, 0}},
         {}, {{5, 0, 0, 0}, {2, 0, 1, 0}}},
        {"the index wraps after 65535",
         {Oldest({R(65533, 0), R(65534, 5), R(65535, 10), R(0, 15), R(1, 20), R(2, 25)})},
         {{65533, 0}, {65534, 0}, {65535, 0}, {0, 0}, {1, 0}, {2, 0}}, {}, {{6, 0, 0, 0}}},
        {"clock set back: times repeat, the rows are still told apart",
         {Oldest({R(0, 0), R(1, 5), R(2, 10), R(3, 15), R(4, 5), R(5, 10)}), Oldest({R(4, 5), R(5, 10), R(6, 15)})},
         {{0, 0}, {1, 0}, {4, 0}, {2, 0}, {5, 0}, {3, 0}, {6, 0}}, {}, {{6, 0, 0, 0}, {1, 2, 0, 0}}},
        {"an index the logger skipped", {Oldest(Run(0, 2) + Run(5, 6))}, {Held(0, 2) + Held(5, 6)}, {{3, 4, M}},
         {{5, 0, 0, 2}}},
        {"rows that never read", {Oldest(Run(0, 1) + std::vector<TStep>{Lost(2)} + Run(4, 5))},
         {Held(0, 1) + Held(4, 5)}, {{2, 3, U}}, {{4, 0, 0, 2}}},
        {"the newest rows never read", {Oldest(Run(0, 3) + std::vector<TStep>{Lost(2)})}, Held(0, 3), {{4, 5, U}},
         {{4, 0, 0, 2}}},
        {"the oldest rows never read", {Oldest(std::vector<TStep>{Lost(1)} + Run(3, 4))}, Held(3, 4), {{2, 2, U}},
         {{2, 0, 0, 1}}},
        {"the ring went round between visits", {Oldest(Run(0, 9)), Oldest(Run(15, 20))}, Held(0, 9) + Held(15, 20),
         {{10, 14, O}}, {{10, 0, 0, 0}, {6, 0, 0, 5}}},
        {"the ring went round to the very next row", {Oldest(Run(0, 9)), Oldest(Run(10, 12))}, Held(0, 12), {},
         {{10, 0, 0, 0}, {3, 0, 0, 0}}},
        {"the ring went round across the index wrap",
         {Oldest({R(65530, 0), R(65531, 5)}), Oldest({R(3, 60), R(4, 65)})},
         {{65530, 0}, {65531, 0}, {3, 0}, {4, 0}}, {{65532, 2, O}}, {{2, 0, 0, 0}, {2, 0, 0, 7}}},
        {"a logger cleared since: a fresh start, not a hole",
         {Oldest({R(100, 0), R(101, 5)}), Oldest({R(0, 60, 0, 1), R(1, 65)})},
         {{100, 0}, {101, 0}, {0, 0}, {1, 0}}, {}, {{2, 0, 0, 0}, {2, 0, 0, 0}}},
        {"an image that fills a hole",
         {Oldest(Run(0, 9)), Oldest(Run(15, 20)), {THistoryFeed::TStartsAt::Oldest, Run(8, 16), TVisitKind::Import}},
         Held(0, 20), {}, {{10, 0, 0, 0}, {6, 0, 0, 5}, {5, 4, 0, 0}}},
        {"an image that fills part of a hole",
         {Oldest(Run(0, 9)), Oldest(Run(15, 20)), {THistoryFeed::TStartsAt::Oldest, Run(11, 12), TVisitKind::Import}},
         Held(0, 9) + Held(11, 12) + Held(15, 20), {{10, 10, O}, {13, 14, O}}, {{10, 0, 0, 0}, {6, 0, 0, 5}, {2, 0, 0, 0}}},
        {"a hole found again is kept once", {Oldest(Run(0, 1) + Run(3, 3)), Oldest(Run(0, 1) + Run(3, 4))},
         Held(0, 1) + Held(3, 4), {{2, 2, M}}, {{3, 0, 0, 1}, {1, 3, 0, 1}}},
        {"a later read of a row that read before leaves no hole",
         {Oldest(Run(0, 4)), Oldest(Run(0, 1) + std::vector<TStep>{Lost(1)} + Run(3, 6))}, Held(0, 6), {},
         {{5, 0, 0, 0}, {2, 4, 0, 0}}},
        {"more rows than one batch, a hole across batches", {Oldest(Run(0, 49) + Run(51, 120))},
         Held(0, 49) + Held(51, 120), {{50, 50, M}}, {{120, 0, 0, 1}}},
    };
    return cases;
}

class HistoryStoreTest : public ::testing::TestWithParam<TBackendMaker>
{
protected:
    void SetUp() override
    {
        backend = GetParam().make();
        QString error;
        store = backend->Open(error);
        ASSERT_TRUE(store) << qPrintable(error);
    }

    std::unique_ptr<THistoryFeed> feed(const TVisitScript& v)
    {
        TVisitStart s;
        s.device = kDevice;
        s.started = QDateTime::currentDateTimeUtc();
        s.protocol = "fast";
        s.adapter = "none";
        s.kind = v.kind;
        s.programVersion = "test";
        auto f = std::make_unique<THistoryFeed>(*store, s, v.from);
        EXPECT_TRUE(f->Begin()) << qPrintable(f->Error());
        for (const TStep& step : v.steps) {
            if (step.unreadable > 0) f->NoteUnreadable(step.unreadable);
            else f->AddRow(HistoryRow(step.index, step.minute, step.variant, step.event));
        }
        EXPECT_TRUE(f->Finish(TVisitEnd::Completed, std::nullopt, {})) << qPrintable(f->Error());
        return f;
    }

    std::vector<TStoredRow> allRows()
    {
        std::vector<TStoredRow> all, page;
        const TStoredRow* after = nullptr;
        TStoredRow last;
        do {
            EXPECT_TRUE(store->Rows(kDevice, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max(),
                                    after, 7, page))
                << qPrintable(store->LastError());
            all.insert(all.end(), page.begin(), page.end());
            if (!page.empty()) {
                last = page.back();
                after = &last;
            }
        } while (page.size() == 7);
        return all;
    }

    std::unique_ptr<THistoryBackend> backend;
    std::unique_ptr<THistoryStore> store;
};

TEST_P(HistoryStoreTest, JoinRules)
{
    for (const TCase& c : Cases()) {
        SCOPED_TRACE(c.what);
        SetUp();
        std::vector<std::unique_ptr<THistoryFeed>> feeds;
        for (const TVisitScript& v : c.visits) feeds.push_back(feed(v));

        std::vector<THeld> held;
        for (const TStoredRow& r : allRows()) held.push_back({r.index, int(r.row.PV - 10.0)});
        // Rows beside each other (same stamp and index) come in digest order: compare by content.
        for (size_t i = 1; i < held.size(); ++i)
            if (held[i].index == held[i - 1].index && held[i].variant < held[i - 1].variant) std::swap(held[i], held[i - 1]);
        EXPECT_EQ(held.size(), c.held.size());
        EXPECT_TRUE(held == c.held);

        std::vector<TGapRecord> gaps;
        ASSERT_TRUE(store->Gaps(kDevice, 0, 100, gaps));
        std::vector<TGap> got;
        for (const TGapRecord& g : gaps) got.push_back({g.fromIndex, g.toIndex, g.cause});
        EXPECT_TRUE(got == c.gaps) << "gaps: " << got.size() << ", first " << (got.empty() ? -1 : got[0].from) << "-"
                                   << (got.empty() ? -1 : got[0].to);

        std::vector<TVisitRecord> visits;
        ASSERT_TRUE(store->Visits(kDevice, 0, 100, visits));
        ASSERT_EQ(visits.size(), c.counts.size());
        for (size_t i = 0; i < visits.size(); ++i) {
            const TVisitRecord& v = visits[i];
            SCOPED_TRACE(i);
            EXPECT_EQ(TCounts({v.rowsAdded, v.rowsKnown, v.rowsConflicting, v.rowsMissing}), c.counts[i])
                << v.rowsAdded << " " << v.rowsKnown << " " << v.rowsConflicting << " " << v.rowsMissing;
            EXPECT_EQ(v.ended, TVisitEnd::Completed);
            EXPECT_EQ(feeds[i]->Added(), c.counts[i].added);
        }
        TTransmitterSummary s;
        ASSERT_TRUE(store->Transmitter(kDevice, s));
        EXPECT_EQ(s.rows, qint64(c.held.size()));
        EXPECT_EQ(s.gaps, int(c.gaps.size()));
        EXPECT_EQ(s.visits, int(c.visits.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, HistoryStoreTest, ::testing::ValuesIn(HistoryBackends()),
                         [](const auto& p) { return p.param.name; });

} // namespace
