// The reader's rules against a scripted logger: what is delivered, in which order, what
// is said, and that every read ends exactly once.
#include "loggerengine.h"
#include "scriptedlogger.h"
#include "waiting.h"

#include <gtest/gtest.h>

using namespace quentry;
using namespace quentry::test;

namespace {

class ReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        reader.SetOstraDevice(&device);
        reader.OnRdLogger = [this](TLOGGEREngine* r, const THART_PAS_LOG_Row& row) {
            indexes.push_back(row.index);
            positions.push_back(r->FilePointerPos());
        };
        reader.OnMessage = [this](TLOGGEREngine*, const QString& c, const QString& t) { messages << c + "|" + t; };
        reader.OnFinish = [this](TLOGGEREngine*) { ++finished; };
    }

    void readByRecord()
    {
        reader.InitReadByRecord();
        ASSERT_TRUE(WaitUntil([this] { return !reader.Active(); }, 5000));
    }

    void layout(quint16 page, quint8 sor, bool wrapped, quint16 pages = 2048)
    {
        device.layout.page = page;
        device.layout.sor = sor;
        device.layout.status = wrapped ? 0x10 : 0x00;
        device.layout.totalpagecount = pages;
        device.layout.rowperpage = 6;
    }

    static TScriptedLogger::Read row(quint16 index, bool tof = false)
    {
        return TScriptedLogger::Read{FRERR_OK, 0, index, tof};
    }

    QStringList pageCalls() const
    {
        QStringList p;
        for (const QString& c : device.calls)
            if (c.startsWith("page")) p << c.mid(5);
        return p;
    }

    TScriptedLogger device;
    TLOGGEREngine reader;
    std::vector<quint16> indexes;
    std::vector<quint16> positions;
    QStringList messages;
    int finished = 0;
};

std::vector<quint16> range(int from, int count)
{
    std::vector<quint16> v;
    for (int i = 0; i < count; ++i) v.push_back(quint16(from + i));
    return v;
}

} // namespace

TEST_F(ReaderTest, SingleRowLoggerEndsAtOnce)
{
    auto one = row(7);
    one.total = 1;
    device.reads = {one};
    reader.InitReadByRecord();
    EXPECT_FALSE(reader.Active());
    EXPECT_EQ(indexes, std::vector<quint16>{7});
    EXPECT_EQ(finished, 1);
    const std::vector<QString> expected = {"open", "seek 0 0", "read 0", "close"};
    EXPECT_EQ(device.calls, expected);
}

TEST_F(ReaderTest, IndexJumpSeeksBackAndRereads)
{
    device.reads = {row(10), row(11), row(13), row(12), row(13, true)};
    readByRecord();
    EXPECT_EQ(indexes, (std::vector<quint16>{10, 11, 12, 13}));
    EXPECT_TRUE(messages.contains("LOG_INDEX|NEW / LAST Index: 13 - 11"));
    const std::vector<QString> expected = {"open", "seek 0 0", "read 0", "read 1", "read 1", "seek 2 -1",
                                           "read 0", "read 1", "close"};
    EXPECT_EQ(device.calls, expected);
    EXPECT_EQ(finished, 1);
}

TEST_F(ReaderTest, FailedReadsAreRereadFiveTimesThenSkipped)
{
    TScriptedLogger::Read fail{FRERR_NOFRAME};
    device.reads = {row(1), fail, fail, fail, fail, fail, fail, row(2, true)};
    readByRecord();
    QStringList modes;
    for (const QString& c : device.calls)
        if (c.startsWith("read")) modes << c.mid(5);
    EXPECT_EQ(modes.join(""), QString("0" "1" "00000" "1"));
    EXPECT_EQ(messages.count("LOG_RETRY|Reread: 2"), 6);
    EXPECT_TRUE(messages.contains("LOG_REPEAT|Repeat number reached. Maybe some Record is lost!"));
    EXPECT_EQ(indexes, (std::vector<quint16>{1, 2}));
}

TEST_F(ReaderTest, LoggerErrorCodesAndOldRows)
{
    TScriptedLogger::Read readError{FRERR_OK, 2};
    TScriptedLogger::Read closed{FRERR_OK, 3};
    device.reads = {row(5), readError, row(6), closed, row(7), row(6), row(8, true)};
    readByRecord();
    EXPECT_EQ(indexes, (std::vector<quint16>{5, 6, 7, 8}));
    EXPECT_EQ(reader.ReadErrorCount(), 1);
    // Every row arrived in the end: a failed read that was read again loses nothing, and
    // the old row 6 had been delivered already.
    EXPECT_EQ(reader.LostRecordCount(), 0);
    EXPECT_TRUE(messages.contains("LOG_RDERROR|Last Index: 5"));
    EXPECT_TRUE(messages.contains("FRAME|FRAME ERROR, Last Index: 6"));
    EXPECT_TRUE(messages.filter("LOG_LOST").isEmpty());
}

// Loggers with defects that stay, read record by record: each read ends by itself, every
// readable row comes once, and what is missing is counted and said once.
TEST_F(ReaderTest, PersistentDefectsEndAndAreCounted)
{
    const int E = TScriptedLogger::kReadErrorRow;
    const struct
    {
        const char* what;
        std::vector<int> table;
        std::vector<quint16> delivered;
        int lost;
        int unreadable; // of the lost: rows given up on, the rest indexes the logger skipped
        const char* lostMessage; // nullptr: none
    } cases[] = {
        {"missing index", {0, 1, 2, 4, 5, 6}, {0, 1, 2, 4, 5, 6}, 1, 0, "LOG_LOST|Record lost: index 3"},
        {"two missing", {7, 8, 11, 12}, {7, 8, 11, 12}, 2, 0, "LOG_LOST|Records lost: index 9 - 10"},
        {"missing at the top", {0, 1, 2, 4}, {0, 1, 2, 4}, 1, 0, "LOG_LOST|Record lost: index 3"},
        {"row always READERROR", {0, 1, E, 3, 4}, {0, 1, 3, 4}, 1, 1, "LOG_LOST|Record lost: index 2"},
        {"two bad rows", {0, E, E, 3}, {0, 3}, 2, 2, "LOG_LOST|Records lost: index 1 - 2"},
        {"newest row READERROR", {0, 1, 2, E}, {0, 1, 2}, 1, 1, "LOG_LOST|Record lost: index 3"},
        {"oldest row READERROR", {E, 5, 6}, {5, 6}, 1, 1, nullptr},
        {"index goes back", {100, 101, 102, 5, 6, 7}, {100, 101, 102, 5, 6, 7}, 0, 0, nullptr},
        {"index repeats once", {10, 11, 11, 12}, {10, 11, 11, 12}, 0, 0, nullptr},
        {"wraps and goes back", {65535, 0, 1, 0, 1}, {65535, 0, 1, 0, 1}, 0, 0, nullptr},
        {"empty logger", {}, {}, 0, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TLOGGEREngine r;
        TScriptedLogger d;
        d.table = c.table;
        std::vector<quint16> got;
        QStringList said;
        int ends = 0;
        r.SetOstraDevice(&d);
        r.SetLoopInterval(0);
        r.OnRdLogger = [&](TLOGGEREngine*, const THART_PAS_LOG_Row& row) { got.push_back(row.index); };
        r.OnMessage = [&](TLOGGEREngine*, const QString& cl, const QString& t) { said << cl + "|" + t; };
        r.OnFinish = [&](TLOGGEREngine*) { ++ends; };
        int unreadable = 0, missing = 0;
        r.OnLost = [&](TLOGGEREngine*, int n, TRowLoss cause) {
            (cause == TRowLoss::Unreadable ? unreadable : missing) += n;
        };
        r.InitReadByRecord();
        ASSERT_TRUE(WaitUntil([&] { return !r.Active(); }, 5000));
        EXPECT_EQ(got, c.delivered);
        EXPECT_EQ(r.LostRecordCount(), c.lost);
        EXPECT_EQ(unreadable, c.unreadable);
        EXPECT_EQ(missing, c.lost - c.unreadable);
        EXPECT_EQ(said.filter("LOG_LOST").size(), c.lostMessage ? 1 : 0) << qPrintable(said.join('\n'));
        if (c.lostMessage) {
            EXPECT_TRUE(said.contains(c.lostMessage)) << qPrintable(said.join('\n'));
        }
        EXPECT_TRUE(said.filter("LOG_ABORT").isEmpty());
        if (c.table.empty()) {
            EXPECT_TRUE(said.isEmpty()) << qPrintable(said.join('\n'));
        }
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(r.ReadEnd(), TReadEnd::Completed);
        EXPECT_EQ(d.calls.back(), QString("close"));
        EXPECT_LT(d.count("read"), 12 * int(c.table.size()) + 2);
    }
}

TEST_F(ReaderTest, ALoggerThatDoesNotMoveOnEndsTheRead)
{
    // Every "next" row is the one already delivered, and the position never advances.
    device.reads.assign(200, row(5));
    readByRecord();
    EXPECT_EQ(indexes, std::vector<quint16>{5});
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(device.count("read"), 1 + TLOGGEREngine::kMaxStalls);
    EXPECT_EQ(messages.filter("LOG_ABORT").size(), 1);
    EXPECT_EQ(reader.ReadEnd(), TReadEnd::Aborted);
    EXPECT_EQ(device.calls.back(), QString("close"));
}

// The owner may detach the device at any moment, also inside a transaction (the engine
// runs events while it waits): the read ends at once, exactly once, with no call after.
TEST_F(ReaderTest, DetachDuringAnyTransactionEndsTheReadOnce)
{
    for (bool pages : {false, true}) {
        for (int at = 1;; ++at) {
            SCOPED_TRACE(QString("%1 mode, detached in call %2").arg(pages ? "page" : "record").arg(at).toStdString());
            TScriptedLogger d;
            d.table = std::vector<int>{0, 1, 2, 4, 5};
            d.layout.page = 1;
            d.layout.sor = 2;
            d.layout.totalpagecount = 8;
            d.layout.rowperpage = 6;
            TLOGGEREngine r;
            r.SetOstraDevice(&d);
            r.SetLoopInterval(0);
            int ends = 0;
            size_t callsAtDetach = 0;
            r.OnFinish = [&](TLOGGEREngine*) { ++ends; };
            d.duringCall = [&] {
                if (int(d.calls.size()) == at) {
                    r.SetOstraDevice(nullptr);
                    callsAtDetach = d.calls.size();
                }
            };
            if (pages) r.AssyReadByPage();
            else r.InitReadByRecord();
            ASSERT_TRUE(WaitUntil([&] { return !r.Active(); }, 5000));
            EXPECT_EQ(ends, 1);
            if (callsAtDetach == 0) break;
            // Detached in the closing transaction, the read had already come to its end.
            if (d.calls.back() != "close") {
                EXPECT_EQ(r.ReadEnd(), TReadEnd::Aborted);
            }
            EXPECT_EQ(d.calls.size(), callsAtDetach);
        }
    }
}

TEST_F(ReaderTest, ReadErrorOnTheNewestRowIsReadAgain)
{
    // A READERROR has moved the pointer to the top: its TOF does not mean the newest row arrived.
    TScriptedLogger::Read readError{FRERR_OK, 2, 0, true};
    device.reads = {row(1), row(2), readError, row(3, true)};
    readByRecord();
    EXPECT_EQ(indexes, (std::vector<quint16>{1, 2, 3}));
    EXPECT_EQ(device.calls.back(), QString("close"));
    EXPECT_EQ(device.count("read 0"), 2);

    // A newest row that never reads: given up after the re-reads, without spinning on it.
    SetUp();
    device.calls.clear();
    indexes.clear();
    messages.clear();
    device.reads = {row(1), readError, readError, readError, readError, readError, readError};
    readByRecord();
    EXPECT_EQ(indexes, (std::vector<quint16>{1}));
    EXPECT_EQ(device.count("read"), 7);
    EXPECT_TRUE(messages.contains("LOG_REPEAT|Repeat number reached. Maybe some Record is lost!"));
    EXPECT_EQ(finished, 2);
}

TEST_F(ReaderTest, IndexesWrapAfter65535)
{
    device.reads = {row(65534), row(65535), row(0), row(1, true)};
    readByRecord();
    EXPECT_EQ(indexes, (std::vector<quint16>{65534, 65535, 0, 1}));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ReaderTest, FirstReadWithALoggerErrorIsNotDelivered)
{
    TScriptedLogger::Read busy{FRERR_OK, 1};
    busy.total = 0;
    device.reads = {busy, row(40), row(41, true)};
    readByRecord();
    EXPECT_EQ(indexes, (std::vector<quint16>{40, 41}));
    // The row the first read did not fill is read again, not skipped.
    EXPECT_EQ(device.calls[2], QString("read 0"));
    EXPECT_EQ(device.calls[3], QString("read 0"));
}

TEST_F(ReaderTest, FailedOpenEndsTheReadWithAReason)
{
    device.openResult = FRERR_NOFRAME;
    reader.InitReadByRecord();
    EXPECT_FALSE(reader.Active());
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(messages.contains("LOG_OPEN|Logger could not be opened: NO FRAME"));
    reader.AssyReadByPage();
    EXPECT_EQ(finished, 2);
    EXPECT_EQ(device.count("layout"), 0);
}

TEST_F(ReaderTest, LostLineEndsARecordRead)
{
    device.reads = {row(1), row(2), TScriptedLogger::Read{FERR_INTERFACE}};
    readByRecord();
    EXPECT_EQ(indexes, (std::vector<quint16>{1, 2}));
    EXPECT_EQ(finished, 1);
    EXPECT_TRUE(messages.contains("LOG_ABORT|No open port; reading stopped."));
    EXPECT_EQ(reader.ReadEnd(), TReadEnd::Aborted);
    EXPECT_EQ(device.count("close"), 0);
}

TEST_F(ReaderTest, PagesOfALoggerThatHasNotWrapped)
{
    layout(2, 4, false);
    reader.AssyReadByPage();
    EXPECT_EQ(pageCalls(), QStringList({"0", "1", "2"}));
    EXPECT_EQ(indexes, range(0, 16));
    EXPECT_EQ(positions, range(0, 16));
    EXPECT_EQ(reader.TotalRecordCount(), 16);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(reader.ReadEnd(), TReadEnd::Completed);
    EXPECT_EQ(device.calls.back(), QString("close"));

    // The same with the timer.
    SetUp();
    indexes.clear();
    positions.clear();
    device.calls.clear();
    reader.InitReadByPage();
    ASSERT_TRUE(WaitUntil([this] { return !reader.Active(); }, 3000));
    EXPECT_EQ(indexes, range(0, 16));
    EXPECT_EQ(finished, 2);
}

TEST_F(ReaderTest, EmptyLoggerEndsInTheStart)
{
    layout(0, 0, false);
    reader.AssyReadByPage();
    EXPECT_TRUE(pageCalls().isEmpty());
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(device.calls.back(), QString("close"));
}

TEST_F(ReaderTest, WrappedRingIsReadOldestFirstIncludingThePageBeingWritten)
{
    layout(1, 3, true, 4);
    reader.AssyReadByPage();
    EXPECT_EQ(pageCalls(), QStringList({"2", "3", "0", "1"}));
    std::vector<quint16> expected = range(12, 6);
    for (quint16 i : range(18, 6)) expected.push_back(i);
    for (quint16 i : range(0, 6)) expected.push_back(i);
    for (quint16 i : range(6, 3)) expected.push_back(i);
    EXPECT_EQ(indexes, expected);
    EXPECT_EQ(reader.TotalRecordCount(), 21);
    EXPECT_EQ(positions.back(), 20);

    // The page being written is the last page: reading starts at page 0, not past the end.
    SetUp();
    device.calls.clear();
    indexes.clear();
    layout(3, 6, true, 4);
    reader.InitReadByPage();
    ASSERT_TRUE(WaitUntil([this] { return !reader.Active(); }, 3000));
    EXPECT_EQ(pageCalls(), QStringList({"0", "1", "2", "3"}));
    EXPECT_EQ(indexes.size(), 24u);
    EXPECT_EQ(reader.TotalRecordCount(), 24);
}

TEST_F(ReaderTest, RowsWrittenAreNeverMoreThanAPage)
{
    layout(1, 9, false, 4);
    reader.AssyReadByPage();
    EXPECT_EQ(indexes.size(), 12u);
    EXPECT_EQ(reader.TotalRecordCount(), 12);
}

TEST_F(ReaderTest, PageWithABadRowIsReadAgain)
{
    layout(1, 6, false);
    device.badReadsOfPage[0] = 1;
    reader.AssyReadByPage();
    EXPECT_EQ(pageCalls(), QStringList({"0", "0", "1"}));
    EXPECT_EQ(indexes, range(0, 12));
    EXPECT_TRUE(messages.contains("LOG_PAGECHK|Page: 0, Index: 0"));

    // A row that never passes its check: the good ones are taken after a few reads.
    SetUp();
    device.calls.clear();
    indexes.clear();
    messages.clear();
    device.badReadsOfPage[0] = -1;
    int unreadable = 0;
    reader.OnLost = [&](TLOGGEREngine*, int n, TRowLoss cause) { unreadable += cause == TRowLoss::Unreadable ? n : 0; };
    reader.AssyReadByPage();
    EXPECT_EQ(unreadable, 1);
    EXPECT_EQ(device.count("page 0"), TLOGGEREngine::kPageCheckRetries);
    EXPECT_EQ(indexes.size(), 11u);
    EXPECT_EQ(reader.LostRecordCount(), 1);
    EXPECT_EQ(messages.count("LOG_PAGELOST|Page: 0, 1 row(s) failed their check 5 times and are left out."), 1);
}

TEST_F(ReaderTest, FailedPageReadsAreRepeatedAndTheLastPageIsNotLost)
{
    layout(1, 2, false);
    device.pageFailuresLeft = 0;
    device.duringCall = [this] {
        if (device.calls.back() == "page 1" && device.count("page 1") == 1) device.pageFailuresLeft = 1;
    };
    reader.AssyReadByPage();
    EXPECT_EQ(pageCalls(), QStringList({"0", "1", "1"}));
    EXPECT_EQ(indexes, range(0, 8));
}

TEST_F(ReaderTest, AdapterAbortEndsWithoutClosing)
{
    layout(5, 0, false);
    device.pageFailuresLeft = 1000;
    device.pageFailure = FERR_ADAPTERABORT;
    reader.AssyReadByPage();
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(device.count("close"), 0);
    EXPECT_EQ(device.count("page"), 1);
}

TEST_F(ReaderTest, StopAndDetach)
{
    layout(100, 0, false);
    reader.OnRdLogger = [this](TLOGGEREngine* r, const THART_PAS_LOG_Row& row) {
        indexes.push_back(row.index);
        if (indexes.size() == 8) r->Stop();
    };
    reader.AssyReadByPage();
    EXPECT_EQ(indexes.size(), 12u); // the page in hand is finished
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(reader.ReadEnd(), TReadEnd::Stopped);
    EXPECT_EQ(device.calls.back(), QString("close"));

    // Detaching the device under a running read ends it without another call.
    SetUp();
    device.calls.clear();
    device.duringCall = [this] {
        if (device.count("page") == 3) reader.SetOstraDevice(nullptr);
    };
    reader.AssyReadByPage();
    EXPECT_EQ(finished, 2);
    EXPECT_EQ(device.count("page"), 3);
    EXPECT_EQ(device.count("close"), 0);

    // A Stop while the logger is being opened is not lost when the loop begins.
    for (bool pages : {false, true}) {
        SCOPED_TRACE(pages ? "page mode" : "record mode");
        TScriptedLogger d;
        d.table = std::vector<int>{0, 1, 2, 3};
        d.layout.page = 1;
        d.layout.sor = 2;
        d.layout.totalpagecount = 8;
        d.layout.rowperpage = 6;
        TLOGGEREngine r;
        r.SetOstraDevice(&d);
        d.duringCall = [&] {
            if (d.calls.size() == 1) r.Stop();
        };
        if (pages) r.AssyReadByPage();
        else r.InitReadByRecord();
        ASSERT_TRUE(WaitUntil([&] { return !r.Active(); }, 5000));
        EXPECT_EQ(r.ReadEnd(), TReadEnd::Stopped);
        EXPECT_EQ(QStringList(d.calls.begin(), d.calls.end()).join(", "),
                  pages ? QString("open, layout, close") : QString("open, seek 0 0, read 0, close"));
    }
}

// A read may start at a row other than the oldest (a revisit joining rows read before):
// it delivers that row first and reads on to the newest; the read after starts at the
// oldest row again.
TEST_F(ReaderTest, ReadStartingAtAGivenRow)
{
    std::vector<int> table;
    for (int i = 0; i < 10; ++i) table.push_back(i);
    device.table = table;
    reader.SetLoopInterval(0);
    reader.StartNextReadAt({6, 0, 0});
    readByRecord();
    EXPECT_EQ(indexes, range(6, 4));
    EXPECT_EQ(QStringList(device.calls.begin(), device.calls.begin() + 3).join(", "), QString("open, seek 0 6, read 0"));
    indexes.clear();
    readByRecord();
    EXPECT_EQ(indexes, range(0, 10));

    // Offsets are 16-bit signed: a far position is reached in steps from the current row.
    TScriptedLogger far;
    far.table = std::vector<int>(40005, 0);
    TTXRXInfo d;
    THART_PAS_LOG_Seek seek;
    SeekLoggerTo(far, d, 40000, seek);
    EXPECT_EQ(QStringList(far.calls.begin(), far.calls.end()).join(", "), QString("seek 0 32767, seek 2 7233"));
    EXPECT_EQ(far.pointer, 40000);

    // Page mode: from page and row on, to the page being written.
    const struct
    {
        const char* what;
        quint16 page;
        quint8 sor;
        bool wrapped;
        quint16 pages;
        TReadStart start;
        QStringList pagesRead;
        std::vector<quint16> delivered;
    } cases[] = {
        {"not wrapped", 3, 2, false, 2048, {0, 1, 4}, {"1", "2", "3"}, {10, 11, 12, 13, 14, 15, 16, 17, 18, 19}},
        {"on the page being written", 3, 5, false, 2048, {0, 3, 2}, {"3"}, {20, 21, 22}},
        {"wrapped, round the end", 1, 3, true, 4, {0, 3, 5}, {"3", "0", "1"}, {23, 0, 1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        device.calls.clear();
        indexes.clear();
        positions.clear();
        layout(c.page, c.sor, c.wrapped, c.pages);
        reader.StartNextReadAt(c.start);
        reader.AssyReadByPage();
        EXPECT_EQ(pageCalls(), c.pagesRead);
        EXPECT_EQ(indexes, c.delivered);
        EXPECT_EQ(positions, range(0, int(c.delivered.size())));
        EXPECT_EQ(reader.TotalRecordCount(), int(c.delivered.size()));
        EXPECT_EQ(reader.ReadEnd(), TReadEnd::Completed);
    }

    // A start the logger does not hold ends the read, saying so.
    SetUp();
    device.calls.clear();
    messages.clear();
    layout(1, 3, false);
    reader.StartNextReadAt({0, 2, 0});
    reader.AssyReadByPage();
    EXPECT_EQ(reader.ReadEnd(), TReadEnd::Aborted);
    EXPECT_TRUE(pageCalls().isEmpty());
    EXPECT_EQ(messages.filter("LOG_LAYOUT").size(), 1);
    EXPECT_EQ(device.calls.back(), QString("close"));
}

TEST(ReaderIntegrity, IndexesRiseByOne)
{
    EXPECT_TRUE(TLOGGEREngine::TestIntegrity({4, 5, 6}));
    EXPECT_TRUE(TLOGGEREngine::TestIntegrity({65535, 0, 1}));
    EXPECT_FALSE(TLOGGEREngine::TestIntegrity({4, 6}));
    EXPECT_TRUE(TLOGGEREngine::TestIntegrity({}));
}
