// Visits to one transmitter against the virtual transmitter, over FAST and HART: a first
// visit reads everything, a revisit only the new rows from a proven join row, a revisit
// after the ring went round everything with the lost rows recorded as overwritten; a join
// row moved by an index gap is found nearby, one that is not the held row makes the read
// take everything. And the clock check against the transmitter's clock.
#include "clockcheck.h"
#include "detection.h"
#include "loggerengine.h"
#include "recordingfeedback.h"
#include "revisitread.h"
#include "sqlhistorystore.h"
#include "virtualtransmitter.h"
#include "waiting.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

using namespace quentry;
using namespace quentry::emulator;

namespace {

const qint64 kCleared = qint64(QDate(2001, 1, 1).daysTo(QDate(2020, 6, 1))) * 1440;

// A virtual transmitter and the session's stack over the real engine, detected.
struct TSessionRig
{
    TSessionRig(const TEmulatorConfig& c, TProtokoll protocol) : transmitter(c)
    {
        const QString port = transmitter.start();
        EXPECT_FALSE(port.isEmpty());
        engine.SetFeedback(&feedback);
        device.SetComEngine(&engine);
        reader.SetOstraDevice(&device);
        reader.SetLoopInterval(0);
        engine.SetProtokoll(protocol);
        EXPECT_TRUE(engine.OpenComByName(port));
        engine.SetTime_ByteGap(0);
        found = detection.Detect(protocol) == TDetection::TOutcome::Found;
    }
    ~TSessionRig()
    {
        reader.SetOstraDevice(nullptr);
        engine.CloseCom(true);
    }

    TVirtualTransmitter transmitter;
    TCOMEngine engine;
    TOstraDevice device;
    TLOGGEREngine reader;
    test::TRecordingFeedback feedback;
    TDeviceAccess access{engine, device, feedback};
    TLoggerSettings settings{access};
    TDetection detection{access, settings, reader};
    bool found = false;
};

// One transmitter visited again and again: each visit is a virtual transmitter with the
// same start and seed and more rows written.
class RevisitTest : public ::testing::TestWithParam<TProtokoll>
{
protected:
    void SetUp() override
    {
        QString error;
        history = TSqlHistoryStore::OpenFile(dir.filePath("history.sqlite"), error);
        ASSERT_TRUE(history) << qPrintable(error);
    }

    bool fast() const { return GetParam() == prt_MODE3; }

    // Visits the transmitter as its logger is with `rows` written (and gone round) and reads.
    TRevisitRead::TResult visit(int pages, int rows, bool wrapped, TRevisitRead::TKind kind,
                                const TLoggerDefects& defects = {}, quint64 seed = 5)
    {
        TEmulatorConfig c;
        c.protocol = fast() ? TEmuProtocol::Fast : TEmuProtocol::Hart;
        c.turnaroundMs = 0;
        c.pages = pages;
        c.rows = rows;
        c.wrapped = wrapped;
        c.startMinute = kCleared;
        c.seed = seed;
        c.defects = defects;
        TSessionRig rig(c, GetParam());
        EXPECT_TRUE(rig.found);

        TRevisitRead read(rig.access, rig.reader);
        TRevisitRead::TOptions o;
        o.kind = kind;
        o.history = history.get();
        o.visit.device = TDeviceKey{c.factoryId, c.deviceTypeId, c.deviceId};
        o.visit.started = QDateTime::currentDateTimeUtc();
        o.visit.protocol = fast() ? "fast" : "hart";
        o.visit.adapter = "none";
        o.visit.programVersion = "test";
        rowsSeen.clear();
        toComeSeen.clear();
        read.OnRow = [this](const THART_PAS_LOG_Row& row, int toCome) {
            rowsSeen.push_back(row.index);
            toComeSeen.push_back(toCome);
        };
        notes.clear();
        read.OnNote = [this](const QString& n) { notes << n; };
        int finished = 0;
        read.OnFinish = [&](const TRevisitRead::TResult&) { ++finished; };
        EXPECT_TRUE(read.Start(o));
        EXPECT_TRUE(WaitUntil([&] { return !read.Active(); }, 60000));
        EXPECT_EQ(finished, 1);
        pageReads = rig.transmitter.stats().fastCount(106);
        recordReads = rig.transmitter.stats().hartCount(164, 0);
        return read.Result();
    }

    TTransmitterSummary summary()
    {
        TTransmitterSummary s;
        EXPECT_TRUE(history->Transmitter(TDeviceKey{0x60, 0x51, 0x012345}, s));
        return s;
    }
    std::vector<TGapRecord> gaps()
    {
        std::vector<TGapRecord> g;
        EXPECT_TRUE(history->Gaps(TDeviceKey{0x60, 0x51, 0x012345}, 0, 50, g));
        return g;
    }

    QTemporaryDir dir;
    std::unique_ptr<THistoryStore> history;
    std::vector<int> rowsSeen, toComeSeen;
    QStringList notes;
    int pageReads = 0, recordReads = 0;
};

} // namespace

TEST_P(RevisitTest, VisitRevisitAndRevisitAfterTheRingWentRound)
{
    // Small loggers over HART: a row is a transaction there.
    const int pages = fast() ? 10 : 4;
    const int first = fast() ? 20 : 10, second = fast() ? 45 : 16, afterTurn = fast() ? 50 : 13;

    TRevisitRead::TResult r = visit(pages, first, false, TRevisitRead::TKind::NewRows);
    EXPECT_EQ(r.end, TReadEnd::Completed);
    EXPECT_FALSE(r.joined);
    EXPECT_EQ(r.rowsRead, first);
    EXPECT_EQ(r.join.added, first);
    EXPECT_EQ(r.line, QString("Result: %1 new record(s); nothing missing.").arg(first));
    EXPECT_EQ(summary().rows, first);

    // The same logger later: only the rows after the newest held one are read, from it on.
    r = visit(pages, second, false, TRevisitRead::TKind::NewRows);
    EXPECT_EQ(r.end, TReadEnd::Completed);
    EXPECT_TRUE(r.joined);
    EXPECT_EQ(rowsSeen.front(), first - 1);
    EXPECT_EQ(rowsSeen.size(), size_t(second - first + 1));
    EXPECT_EQ(toComeSeen.front(), second - first);
    EXPECT_EQ(toComeSeen.back(), 0);
    EXPECT_EQ(r.join.added, second - first);
    EXPECT_EQ(r.join.joinedIndex, first - 1);
    EXPECT_EQ(r.line, QString("Result: %1 new record(s), joined at index %2; nothing missing.").arg(second - first).arg(first - 1));
    if (fast()) EXPECT_LE(pageReads, (second - first) / 6 + 5) << "pages from the join row on, and a few to find it";
    else EXPECT_LE(recordReads, second - first + 6) << "records from the join row on, and a few to find it";
    std::vector<TVisitRecord> visits;
    ASSERT_TRUE(history->Visits(TDeviceKey{0x60, 0x51, 0x012345}, 0, 10, visits));
    ASSERT_EQ(visits.size(), 2u);
    EXPECT_EQ(visits[1].kind, TVisitKind::New);
    EXPECT_EQ(visits[1].rowsKnown, 1) << "the join row crossed the line";
    EXPECT_EQ(visits[1].joinedIndex, first - 1);
    EXPECT_EQ(summary().rows, second);
    EXPECT_TRUE(gaps().empty());

    // Gone round so far that the newest held row is overwritten: everything is read and the
    // rows between are a hole overwritten before it was read.
    r = visit(pages, afterTurn, true, TRevisitRead::TKind::NewRows);
    EXPECT_EQ(r.end, TReadEnd::Completed);
    EXPECT_FALSE(r.joined);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0].startsWith("the ring went round")) << qPrintable(notes[0]);
    const int written = pages * 6 + afterTurn;
    const int sor = (written - 1) % (pages * 6) % 6 + 1;
    const int readable = (pages - 1) * 6 + sor;
    const int oldest = written - readable;
    EXPECT_EQ(r.rowsRead, readable);
    EXPECT_EQ(r.join.added, readable);
    const std::vector<TGapRecord> g = gaps();
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].cause, TGapCause::Overwritten);
    EXPECT_EQ(g[0].fromIndex, second);
    EXPECT_EQ(g[0].toIndex, oldest - 1);
    EXPECT_TRUE(r.line.contains(QString("%1 row(s) overwritten before they were read (index %2 - %3)")
                                    .arg(oldest - second)
                                    .arg(second)
                                    .arg(oldest - 1)))
        << qPrintable(r.line);
    EXPECT_EQ(summary().rows, second + readable);
    EXPECT_EQ(summary().gapRows[int(TGapCause::Overwritten)], oldest - second);
}

TEST_P(RevisitTest, AJoinRowMovedByAnIndexGapIsFoundAndAStrangeOneMakesTheReadTakeEverything)
{
    const int pages = fast() ? 20 : 6, first = fast() ? 30 : 8, second = fast() ? 80 : 20;
    visit(pages, first, false, TRevisitRead::TKind::All);
    // Between the held rows and the new ones the logger skipped 4 indexes: the index
    // distance puts the join row 4 rows too early, where a younger index is found.
    TLoggerDefects skipped;
    skipped.missingIndexes.push_back({first + 2, 4});
    TRevisitRead::TResult r = visit(pages, second, false, TRevisitRead::TKind::NewRows, skipped);
    EXPECT_TRUE(r.joined) << qPrintable(notes.join(" / "));
    EXPECT_EQ(r.join.joinedIndex, first - 1);
    EXPECT_EQ(r.join.added, second - first);
    ASSERT_EQ(r.join.gaps.size(), 1u);
    EXPECT_EQ(r.join.gaps[0].cause, TGapCause::Missing);
    EXPECT_EQ(r.join.gaps[0].fromIndex, first + 2);
    EXPECT_EQ(r.join.gaps[0].toIndex, first + 5);

    // Another logger under the same identity: its row at the held index is another row.
    r = visit(pages, second + 10, false, TRevisitRead::TKind::NewRows, {}, 99);
    EXPECT_FALSE(r.joined);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0].contains("was not where the logger should hold it: everything was read")) << qPrintable(notes[0]);
    EXPECT_EQ(r.rowsRead, second + 10);
    EXPECT_TRUE(r.line.contains("everything was read")) << qPrintable(r.line);
}

INSTANTIATE_TEST_SUITE_P(Protocols, RevisitTest, ::testing::Values(prt_MODE3, prt_HART),
                         [](const auto& p) { return std::string(p.param == prt_HART ? "Hart" : "Fast"); });

TEST(ClockCheck, AgainstTheTransmittersClock)
{
    for (TProtokoll protocol : {prt_HART, prt_MODE3}) {
        SCOPED_TRACE(protocol == prt_HART ? "HART" : "FAST");
        TEmulatorConfig c;
        c.protocol = protocol == prt_HART ? TEmuProtocol::Hart : TEmuProtocol::Fast;
        c.turnaroundMs = 0;
        c.rows = 10;
        c.clockOffsetSeconds = 92;
        TSessionRig rig(c, protocol);
        ASSERT_TRUE(rig.found);
        const auto reading = ReadClockAgainstPc(rig.access, rig.settings.RtcValue);
        ASSERT_TRUE(reading);
        EXPECT_EQ(reading->resolutionSeconds, protocol == prt_HART ? 1 : 60);
        EXPECT_NEAR(reading->offsetSeconds, 92.0, protocol == prt_HART ? 1.0 : 31.0);
        EXPECT_LT(qAbs(reading->pcTime.msecsTo(QDateTime::currentDateTimeUtc())), 5000);
        EXPECT_TRUE(ClockBeyond(*reading, 60) || protocol == prt_MODE3);
    }
}

TEST(ClockCheck, DriftAgainstAnEarlierVisit)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const TClockReading today{12.0, 1, now};
    const TClockReading hourAgo{11.0, 1, now.addSecs(-3600)};
    const TClockReading tenDaysAgo{-1.0, 1, now.addDays(-10)};
    EXPECT_EQ(ClockDrift(today, {hourAgo, tenDaysAgo}), 1.3) << "a reading an hour ago says little";
    EXPECT_EQ(ClockDrift(today, {hourAgo}), std::nullopt);
    EXPECT_EQ(ClockDrift(today, {{-500.0, 1, now.addDays(-2)}}), std::nullopt) << "set in between, not drifting";
    // Read to the minute, a drift needs weeks to mean something.
    const TClockReading minute{30.0, 60, now};
    EXPECT_EQ(ClockDrift(minute, {{-30.0, 60, now.addDays(-10)}}), std::nullopt);
    EXPECT_EQ(ClockDrift(minute, {{-30.0, 60, now.addDays(-40)}}), 1.5);
}
