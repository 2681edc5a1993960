// The logger ring: where rows sit once it has gone round, what page and record reads
// deliver, and what the generated content looks like.
#include "handvectors.h"
#include "loggercontent.h"
#include "loggerring.h"
#include "loggerrow.h"
#include "transmitterlogic.h"
#include "wire/date3.h"
#include "wire/logrowcheck.h"
#include "wire/wireconv.h"

#include <gtest/gtest.h>
#include <set>

using namespace quentry::emulator;

namespace {

TEmulatorConfig ring(int pages, int rows, bool wrapped)
{
    TEmulatorConfig c;
    c.pages = pages;
    c.rows = rows;
    c.wrapped = wrapped;
    return c;
}

quint16 indexOf(const TLogRowBytes& r) { return quentry::readBE16(r.data() + 3); }
quint16 pageIndexOf(const TLogRowBytes& r) { return quentry::readLE16(r.data() + 3); }

} // namespace

TEST(LoggerLayout, PageAndRowsOnPageForFilledAndWrappedRings)
{
    struct Case
    {
        int pages, rows;
        bool wrapped;
        int page, sor, total, firstIndex;
        bool isWrapped;
    } cases[] = {
        {4, 0, false, 0, 0, 0, 0, false},
        {4, 16, false, 2, 4, 16, 0, false},
        {4, 24, false, 3, 6, 24, 0, false},   // full, not yet gone round
        {4, 9, true, 1, 3, 21, 12, true},     // 33 rows written: page 1 holds 3, pages 2, 3, 0 the older ones
        {2048, 12288, true, 2047, 6, 12288, 12288, true},
    };
    for (const Case& k : cases) {
        const auto logger = MakeLogger(ring(k.pages, k.rows, k.wrapped));
        SCOPED_TRACE(testing::Message() << k.pages << " pages, " << k.rows << " rows");
        EXPECT_EQ(logger->page(), k.page);
        EXPECT_EQ(logger->rowsOnPage(), k.sor);
        EXPECT_EQ(logger->total(), k.total);
        EXPECT_EQ(logger->wrapped(), k.isWrapped);
        if (k.total > 0) {
            EXPECT_EQ(indexOf(logger->rows().front()), k.firstIndex);
            EXPECT_EQ(indexOf(logger->rows().back()), k.firstIndex + k.total - 1);
        }
    }
}

TEST(LoggerLayout, PagesOfAWrappedRingHoldTheRowsWrittenLastIntoThem)
{
    const auto logger = MakeLogger(ring(4, 9, true)); // writes 0..32; readable 12..32
    const auto page1 = logger->pageRows(1);
    EXPECT_EQ(pageIndexOf(page1[0]), 30);
    EXPECT_EQ(pageIndexOf(page1[2]), 32);
    EXPECT_EQ(page1[3], ErasedRow()); // erased when the page was begun
    EXPECT_EQ(pageIndexOf(logger->pageRows(2)[0]), 12);
    EXPECT_EQ(pageIndexOf(logger->pageRows(0)[5]), 29);
    // Page numbers past the ring fold back into it.
    EXPECT_EQ(logger->pageRows(5), page1);
    for (int p = 0; p < 4; ++p)
        for (const TLogRowBytes& r : logger->pageRows(p))
            if (r != ErasedRow()) {
                EXPECT_TRUE(quentry::LogRowChecksumOk(r.data()));
            }
}

TEST(LoggerRecords, PointerBofTofSeekAndFaults)
{
    TEmulatorConfig c;
    c.pages = 2;
    c.rows = 5;
    auto logger = MakeLogger(c);
    TRecordRead r = logger->read(false, 0, false, false, false);
    EXPECT_EQ(r.status, lerr_CLOSED | kBOF);
    logger->open(true);
    r = logger->read(false, 0, false, false, false);
    EXPECT_EQ(r.status, kBOF);
    EXPECT_EQ(indexOf(r.row), 0);
    EXPECT_EQ(indexOf(logger->read(true, 0, false, false, false).row), 1);
    EXPECT_EQ(indexOf(logger->read(true, 1, false, false, false).row), 3);       // jump skips row 2
    quint8 error = 0;
    EXPECT_TRUE(logger->seek(2, -1, error));                                    // back by one from the current row
    EXPECT_EQ(indexOf(logger->read(false, 0, false, false, false).row), 2);
    EXPECT_EQ(indexOf(logger->read(true, 0, true, false, false).row), 2);        // repeat
    r = logger->read(true, 0, false, true, false);                               // read error: moved, not delivered
    EXPECT_EQ(r.status & 0x3F, lerr_READERROR);
    EXPECT_EQ(indexOf(logger->read(false, 0, false, false, false).row), 3);
    EXPECT_EQ(logger->read(true, 0, false, false, true).status & 0x3F, lerr_BUSY);
    r = logger->read(true, 0, false, false, false);
    EXPECT_EQ(indexOf(r.row), 4);
    EXPECT_EQ(r.status, kTOF);                                                   // the newest row
    r = logger->read(true, 0, false, false, false);
    EXPECT_EQ(indexOf(r.row), 4);                                                // reading past it stays there
    EXPECT_EQ(r.status, kTOF);
    EXPECT_TRUE(logger->seek(0, 0, error));
    EXPECT_EQ(logger->position(), 0);
    EXPECT_TRUE(logger->seek(1, 0, error));
    EXPECT_EQ(logger->position(), 4);
    EXPECT_FALSE(logger->seek(7, 0, error));
    logger->clear();
    EXPECT_EQ(logger->total(), 0);
    EXPECT_EQ(logger->rowsOnPage(), 0);
    EXPECT_EQ(logger->read(false, 0, false, false, false).status, kBOF | kTOF | lerr_READERROR);
}

TEST(LoggerContent, GeneratedRowsLookLikeASite)
{
    const auto rows = GenerateLoggerRows(12288, 0, 7);
    ASSERT_EQ(rows.size(), 12288u);
    const std::set<int> events{1, 3, 5, 7, 18, 38, 39};
    double lastStamp = 0;
    int noEcho = 0, scheduled = 0;
    float lastTot1 = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const TLogRowBytes& r = rows[i];
        ASSERT_TRUE(quentry::LogRowChecksumOk(r.data())) << i;
        ASSERT_EQ(indexOf(r), quint16(i));
        ASSERT_GE(r[0], 12);                                   // 2001 or later
        const double stamp = quentry::Date3ToDateTime(r.data());
        ASSERT_GT(stamp, 36892.0) << i;                        // a real date after 2001-01-01
        ASSERT_GE(stamp, lastStamp) << i;
        lastStamp = stamp;
        ASSERT_TRUE(events.count(r[5])) << int(r[5]);
        scheduled += r[5] == 7;
        const float level = quentry::SwapSingle(r.data() + 14), dist = quentry::SwapSingle(r.data() + 10);
        ASSERT_GT(level, 0.0f);
        ASSERT_NEAR(level + dist, kSensorHeight, 1e-4);
        const float tot1 = quentry::SwapSingle(r.data() + 19);
        ASSERT_GE(tot1, lastTot1);
        lastTot1 = tot1;
        const int tenths = quentry::readBE16(r.data() + 28);
        ASSERT_LT(tenths, 400);
        const int current = quentry::readBE16(r.data() + 30);
        ASSERT_TRUE(current >= 400 && current <= 2000) << current;
        noEcho += (quentry::readBE16(r.data() + 32) & 1);
    }
    EXPECT_EQ(rows.front()[5], 1);               // a logger cleared before its first row
    EXPECT_GT(scheduled, 12000);
    EXPECT_GT(noEcho, 0);                        // spells without echo happen
    EXPECT_LT(noEcho, 600);
    EXPECT_LT(lastStamp, 44317.0);               // before 2021-05-01
    EXPECT_TRUE(GenerateLoggerRows(12288, 0, 7) == rows);
    EXPECT_FALSE(GenerateLoggerRows(12288, 0, 8) == rows);
}

TEST(LoggerRows, PageOrderOfAHandWrittenRow)
{
    const auto rows = quentry::test::presetRows<TLogRowBytes>();
    TLogRowBytes r = rows[0];
    SetRowChecksum(r);
    const QByteArray page = quentry::test::hexBytes(quentry::test::kPageRows[0]);
    const TLogRowBytes p = ToPageOrder(r);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(p.data()), 44), page);
    EXPECT_EQ(r[43], 0xC5);
}

// A logger with a start keeps the row of every write, however often it is visited: more
// rows later (and a ring gone round) hold the earlier rows byte for byte.
TEST(LoggerContent, ALoggerVisitedLaterHoldsItsOldRowsUnchanged)
{
    TEmulatorConfig c = ring(20, 50, false);
    c.startMinute = 10 * 365 * 1440;
    const std::vector<TLogRowBytes> first = MakeLogger(c)->rows();
    c.rows = 110;
    const std::vector<TLogRowBytes> later = MakeLogger(c)->rows();
    ASSERT_EQ(first.size(), 50u);
    ASSERT_EQ(later.size(), 110u);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), later.begin()));
    EXPECT_EQ(indexOf(later.front()), 0);
    EXPECT_EQ(later.front()[5], 1); // write 0 is the clear

    // Gone round, now writing its 7th row after the turn: the ring holds the newest rows
    // of the same story.
    c.rows = 7;
    c.wrapped = true;
    const auto gone = MakeLogger(c);
    EXPECT_TRUE(gone->wrapped());
    c.wrapped = false;
    c.rows = int(gone->written());
    c.pages = 60;
    const std::vector<TLogRowBytes> story = MakeLogger(c)->rows();
    ASSERT_EQ(story.size(), size_t(gone->written()));
    EXPECT_TRUE(std::equal(gone->rows().begin(), gone->rows().end(), story.end() - gone->total()));

    // A start too late for its rows is refused: stamps end in April 2021.
    c.startMinute = LastStampMinute() - 1440;
    c.rows = 300;
    EXPECT_FALSE(c.validate().isEmpty());
}
