// Whole-logger reads: the reader, the device object and the link engine through the real
// serial port on a pty, with the virtual transmitter on the other side. Every row that
// arrives is checked against the bytes the transmitter holds, decoded here on their own
// (record byte order, high byte first) rather than by the decoder under test.
#include "comengine.h"
#include "loggercontent.h"
#include "loggerengine.h"
#include "ostradevice.h"
#include "recordingfeedback.h"
#include "virtualtransmitter.h"
#include "waiting.h"

#include <QDate>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>
#include <bit>
#include <cmath>
#include <memory>

using namespace quentry;
using namespace quentry::emulator;

namespace {

// What a held row says, taken straight from its bytes.
struct THeldRow
{
    quint16 index = 0;
    qint64 minute = 0; // minutes since 1899-12-30 00:00
    quint8 event = 0;
    double pv = 0, dist = 0, lev = 0, tot1 = 0, tot2 = 0;
    double temperature = 0, current = 0;
    quint16 error = 0, status = 0;
};

THeldRow held(const TLogRowBytes& b)
{
    auto be16 = [&b](int o) { return quint16(b[size_t(o)] << 8 | b[size_t(o + 1)]); };
    auto be32f = [&b](int o) {
        const quint32 u = quint32(b[size_t(o)]) << 24 | quint32(b[size_t(o + 1)]) << 16 |
                          quint32(b[size_t(o + 2)]) << 8 | quint32(b[size_t(o + 3)]);
        return double(std::bit_cast<float>(u));
    };
    THeldRow r;
    const int w = be16(1);
    const QDate day(2000 + b[0] / 12, b[0] % 12 + 1, w / 1440);
    r.minute = QDate(1899, 12, 30).daysTo(day) * 1440 + (w % 1440);
    r.index = be16(3);
    r.event = b[5];
    r.pv = be32f(6);
    r.dist = be32f(10);
    r.lev = be32f(14);
    r.tot1 = be32f(19);
    r.tot2 = be32f(23);
    r.temperature = (be16(28) & 0x7FFF) / 10.0;
    r.current = be16(30) / 100.0;
    r.error = be16(32);
    r.status = be16(34);
    return r;
}

// Rows come with their values rounded to four decimals.
void expectSameRow(const THART_PAS_LOG_Row& got, const THeldRow& want, size_t at)
{
    SCOPED_TRACE(testing::Message() << "delivered row " << at << ", index " << want.index);
    EXPECT_EQ(got.index, want.index);
    EXPECT_EQ(std::llround(got.datetime * 1440.0), want.minute);
    EXPECT_EQ(got.event, want.event);
    EXPECT_NEAR(got.PV, want.pv, 5.1e-5);
    EXPECT_NEAR(got.DIST, want.dist, 5.1e-5);
    EXPECT_NEAR(got.LEV, want.lev, 5.1e-5);
    EXPECT_NEAR(got.TOT1, want.tot1, 5.1e-5);
    EXPECT_NEAR(got.TOT2, want.tot2, 5.1e-5);
    EXPECT_NEAR(got.temperature, want.temperature, 1e-9);
    EXPECT_NEAR(got.current, want.current, 1e-9);
    EXPECT_EQ(got.es.error, want.error);
    EXPECT_EQ(got.es.status, want.status);
}

enum class TRead { Record, PageBlocking, PageTimer };

class LoggerOnEmulator : public ::testing::Test
{
protected:
    void start(TEmulatorConfig c, TRead how)
    {
        FHow = how;
        c.protocol = how == TRead::Record ? TEmuProtocol::Hart : TEmuProtocol::Fast;
        c.turnaroundMs = 0;
        transmitter = std::make_unique<TVirtualTransmitter>(c);
        const QString port = transmitter->start();
        ASSERT_FALSE(port.isEmpty()) << qPrintable(transmitter->errorString());
        engine = std::make_unique<TCOMEngine>();
        engine->SetFeedback(&feedback);
        engine->SetProtokoll(how == TRead::Record ? prt_HART : prt_MODE3);
        ASSERT_TRUE(engine->OpenComByName(port));
        engine->SetTime_ByteGap(0); // 20 ms byte gap, 30 ms answer wait: the emulator answers at once
        device = std::make_unique<TOstraDevice>();
        device->SetComEngine(engine.get());
        reader = std::make_unique<TLOGGEREngine>();
        reader->SetOstraDevice(device.get());
        reader->OnRdLogger = [this](TLOGGEREngine* r, const THART_PAS_LOG_Row& row) {
            rows.push_back(row);
            positions.push_back(r->FilePointerPos());
        };
        reader->OnMessage = [this](TLOGGEREngine*, const QString& c, const QString& t) { messages << c + "|" + t; };
        reader->OnFinish = [this](TLOGGEREngine*) { ++finished; };
        if (how == TRead::Record) {
            // As the main window does: the identity found on the line names the transmitter.
            TTestedDevice tested;
            ASSERT_EQ(device->RdUniqueID(0, tested.UniqueID), FRERR_OK);
            reader->SetTestedDevice(tested);
        }
    }

    // Reads the whole logger; a watchdog stops a read that would not end by itself.
    void read(int boundMs)
    {
        bool watchdog = false;
        QTimer stop;
        stop.setSingleShot(true);
        QObject::connect(&stop, &QTimer::timeout, [this, &watchdog] {
            watchdog = true;
            reader->Stop();
        });
        stop.start(boundMs);
        switch (FHow) {
        case TRead::Record: reader->InitReadByRecord(); break;
        case TRead::PageBlocking: reader->AssyReadByPage(); break;
        case TRead::PageTimer: reader->InitReadByPage(); break;
        }
        WaitUntil([this] { return !reader->Active(); }, boundMs + 10000);
        EXPECT_FALSE(watchdog) << "the read did not end by itself";
        EXPECT_FALSE(reader->Active());
        EXPECT_EQ(finished, 1);
    }

    // Delivered rows must be held rows, in the held order, none twice. Returns how many
    // held rows did not arrive; with cutShort, those after the last row delivered do not count.
    int walk(const std::vector<TLogRowBytes>& heldRows, bool cutShort = false)
    {
        size_t j = 0;
        int missing = 0;
        for (size_t i = 0; i < rows.size(); ++i) {
            const quint16 index = rows[i].index;
            while (j < heldRows.size() && held(heldRows[j]).index != index) {
                ++missing;
                ++j;
            }
            if (j == heldRows.size()) {
                ADD_FAILURE() << "delivered row " << i << " (index " << index << ") is not held, or out of order";
                return missing;
            }
            expectSameRow(rows[i], held(heldRows[j]), i);
            ++j;
        }
        if (!cutShort) missing += int(heldRows.size() - j);
        return missing;
    }

    void expectAllDelivered(const std::vector<TLogRowBytes>& heldRows)
    {
        ASSERT_EQ(rows.size(), heldRows.size());
        EXPECT_EQ(walk(heldRows), 0);
    }

    int countOf(const QString& cls) const
    {
        int n = 0;
        for (const QString& m : messages) n += m.startsWith(cls + "|");
        return n;
    }

    // Rows the reader says it left out of pages whose rows kept failing their check.
    int reportedLostPageRows() const
    {
        static const QRegularExpression re(QStringLiteral("^LOG_PAGELOST\\|Page: \\d+, (\\d+) row"));
        int n = 0;
        for (const QString& m : messages) {
            const auto match = re.match(m);
            if (match.hasMatch()) n += match.captured(1).toInt();
        }
        return n;
    }

    void TearDown() override
    {
        reader.reset();
        device.reset();
        engine.reset();
        transmitter.reset();
    }

    std::unique_ptr<TVirtualTransmitter> transmitter;
    std::unique_ptr<TCOMEngine> engine;
    std::unique_ptr<TOstraDevice> device;
    std::unique_ptr<TLOGGEREngine> reader;
    test::TRecordingFeedback feedback;
    std::vector<THART_PAS_LOG_Row> rows;
    std::vector<quint16> positions;
    QStringList messages;
    int finished = 0;

private:
    TRead FHow = TRead::Record;
};

TEmulatorConfig ring(int pages, int rows, bool wrapped, const char* faults = "")
{
    TEmulatorConfig c;
    c.pages = pages;
    c.rows = rows;
    c.wrapped = wrapped;
    c.faults = *TFaultPlan::parse(QString::fromLatin1(faults));
    return c;
}

std::vector<quint16> upTo(size_t n)
{
    std::vector<quint16> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = quint16(i);
    return v;
}

} // namespace

// ---- page by page ----------------------------------------------------------------------

TEST_F(LoggerOnEmulator, FullWrappedRingPageByPage)
{
    // 12 288 rows; the ring went round and is now writing page 833 (full), so reading
    // starts on page 834 and ends with page 833.
    ASSERT_NO_FATAL_FAILURE(start(ring(2048, 834 * 6, true), TRead::PageBlocking));
    const TLoggerState s = transmitter->loggerState();
    ASSERT_TRUE(s.wrapped);
    ASSERT_EQ(s.page, 833);
    const auto heldRows = transmitter->loggerRows();
    ASSERT_EQ(heldRows.size(), 12288u);
    read(240000);
    expectAllDelivered(heldRows);
    EXPECT_EQ(reader->TotalRecordCount(), 12288);
    EXPECT_EQ(positions, upTo(12288));
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join('\n'));
    EXPECT_EQ(transmitter->stats().fastCount(106), 2048);
    EXPECT_FALSE(transmitter->loggerState().open); // closed at the end
}

TEST_F(LoggerOnEmulator, RingsOfEveryShapeInBothPageVariants)
{
    struct Case
    {
        int pages, rows;
        bool wrapped;
        TRead how;
        size_t expected;
    } cases[] = {
        {30, 177, false, TRead::PageBlocking, 177}, // pages 0..29, the last with 3 rows
        {30, 177, false, TRead::PageTimer, 177},
        {20, 50, true, TRead::PageTimer, 19 * 6 + 2},     // from page 9 round to page 8 (2 rows)
        {15, 88, true, TRead::PageBlocking, 14 * 6 + 4},  // writing the last page: start on page 0
        {15, 88, true, TRead::PageTimer, 14 * 6 + 4},
        {10, 0, false, TRead::PageBlocking, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.pages << " pages, " << k.rows << " rows, wrapped " << k.wrapped
                                        << ", variant " << int(k.how));
        ASSERT_NO_FATAL_FAILURE(start(ring(k.pages, k.rows, k.wrapped), k.how));
        const auto heldRows = transmitter->loggerRows();
        ASSERT_EQ(heldRows.size(), k.expected);
        read(60000);
        expectAllDelivered(heldRows);
        EXPECT_EQ(reader->TotalRecordCount(), k.expected);
        EXPECT_EQ(positions, upTo(k.expected));
        EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join('\n'));
        EXPECT_FALSE(transmitter->loggerState().open);
        TearDown();
        rows.clear();
        positions.clear();
        messages.clear();
        finished = 0;
    }
}

TEST_F(LoggerOnEmulator, PageReadsThroughCorruptedDroppedAndSpoiledReplies)
{
    // Page reads 40 to 49 spoil row 4 whatever is asked for: the page then being read
    // fails its check five times running and is taken without that row; what is left of
    // those reads does the same to the next page, unless engine retries used them up.
    // Everything else is only spoiled now and then and comes through.
    const char* faults = "chk=10%,drop=5%,rowchk=5%:1,rowchk=5%:3,rowchk=5%:6,rowchk/106=40-49:4";
    ASSERT_NO_FATAL_FAILURE(start(ring(100, 100 * 6 - 3, true, faults), TRead::PageBlocking));
    const auto heldRows = transmitter->loggerRows();
    read(120000);
    const int missing = walk(heldRows);
    EXPECT_EQ(missing, reportedLostPageRows()) << qPrintable(messages.join('\n'));
    EXPECT_GE(countOf("LOG_PAGELOST"), 1);
    EXPECT_LE(missing, 2);
    EXPECT_GT(countOf("LOG_PAGECHK"), countOf("LOG_PAGELOST") * TLOGGEREngine::kPageCheckRetries);
    EXPECT_EQ(reader->TotalRecordCount(), heldRows.size());
    EXPECT_GT(engine->ErrorCount(), 0u); // the engine saw the corrupted replies and asked again
    EXPECT_FALSE(transmitter->loggerState().open);
}

TEST_F(LoggerOnEmulator, UnpluggedLineEndsAPageRead)
{
    ASSERT_NO_FATAL_FAILURE(start(ring(200, 1200, false, "unplug=60"), TRead::PageBlocking));
    const auto heldRows = transmitter->loggerRows();
    read(30000);
    EXPECT_FALSE(transmitter->lineOpen());
    EXPECT_EQ(countOf("LOG_ABORT"), 1) << qPrintable(messages.join('\n'));
    // Open and layout data came first: 57 pages arrived whole, in order.
    EXPECT_EQ(rows.size(), 57u * 6);
    EXPECT_EQ(walk(heldRows, true), 0);
}

// ---- record by record ------------------------------------------------------------------

TEST_F(LoggerOnEmulator, RecordByRecord)
{
    ASSERT_NO_FATAL_FAILURE(start(ring(100, 250, false), TRead::Record));
    const auto heldRows = transmitter->loggerRows();
    read(120000);
    expectAllDelivered(heldRows);
    EXPECT_EQ(reader->TotalRecordCount(), 250);
    EXPECT_EQ(reader->FilePointerPos(), 249);
    EXPECT_TRUE(messages.isEmpty()) << qPrintable(messages.join('\n'));
    EXPECT_EQ(transmitter->stats().hartLongCount(164), 250);
    EXPECT_FALSE(transmitter->loggerState().open);
}

TEST_F(LoggerOnEmulator, RecordReadsThroughEveryKindOfFault)
{
    // Corrupted and dropped replies make the engine ask again, and a repeated "read next"
    // moves the logger on once more: the reader sees the jump, steps back and reads again.
    const char* faults = "chk=10%,drop=5%,jump=3%:2,jump/164=90:4,repeat=3%,readerror=2%,readerror/164=40";
    ASSERT_NO_FATAL_FAILURE(start(ring(100, 120, false, faults), TRead::Record));
    const auto heldRows = transmitter->loggerRows();
    read(120000);
    expectAllDelivered(heldRows);
    EXPECT_GE(countOf("LOG_INDEX"), 1);
    EXPECT_GE(countOf("LOG_RDERROR"), 1);
    // Every row arrived: none is reported or counted as lost.
    EXPECT_EQ(countOf("LOG_LOST"), 0) << qPrintable(messages.join('\n'));
    EXPECT_EQ(reader->LostRecordCount(), 0);
    EXPECT_EQ(reader->ReadErrorCount(), countOf("LOG_RDERROR"));
    EXPECT_FALSE(transmitter->loggerState().open);
}

TEST_F(LoggerOnEmulator, RecordIndexesRunOnPast65535)
{
    TEmulatorConfig c;
    c.pages = 10;
    c.presetRows = GenerateLoggerRows(40, 65516, 3); // indexes 65516 .. 65535, 0 .. 19
    c.faults = *TFaultPlan::parse(QStringLiteral("jump/164=19:2")); // the 19th "read next" skips two rows
    ASSERT_NO_FATAL_FAILURE(start(c, TRead::Record));
    const auto heldRows = transmitter->loggerRows();
    ASSERT_EQ(held(heldRows[20]).index, 0);
    read(30000);
    expectAllDelivered(heldRows);
    EXPECT_TRUE(messages.contains("LOG_INDEX|NEW / LAST Index: 1 - 65534")) << qPrintable(messages.join('\n'));
}

TEST_F(LoggerOnEmulator, ReadErrorOnTheNewestRow)
{
    // The 30th record read is the one that reaches the newest row.
    ASSERT_NO_FATAL_FAILURE(start(ring(10, 30, false, "readerror/164=30"), TRead::Record));
    const auto heldRows = transmitter->loggerRows();
    read(30000);
    expectAllDelivered(heldRows);
    EXPECT_TRUE(messages.contains("LOG_RDERROR|Last Index: 28")) << qPrintable(messages.join('\n'));
}

TEST_F(LoggerOnEmulator, UnpluggedLineEndsARecordRead)
{
    ASSERT_NO_FATAL_FAILURE(start(ring(20, 100, false, "unplug=30"), TRead::Record));
    const auto heldRows = transmitter->loggerRows();
    read(30000);
    EXPECT_FALSE(transmitter->lineOpen());
    EXPECT_EQ(countOf("LOG_ABORT"), 1) << qPrintable(messages.join('\n'));
    // Identification, open and seek came first.
    EXPECT_EQ(rows.size(), 26u);
    EXPECT_EQ(walk(heldRows, true), 0);
}

// ---- quick replies -----------------------------------------------------------------------

TEST_F(LoggerOnEmulator, QuickRepliesReadTheSameRowsThroughFaults)
{
    // Replies end as soon as they are complete; chunked, corrupted, dropped and late replies
    // must still come through as the same rows as with the byte gap.
    struct Case
    {
        TRead how;
        int pages, rows;
        const char* faults;
    } cases[] = {
        {TRead::Record, 20, 60, "chk=10%,drop=5%,delay=3%:60,jump=3%:2,repeat=3%,readerror=3%"},
        {TRead::PageBlocking, 25, 25 * 6 - 2, "chk=10%,drop=5%,delay=3%:60,rowchk=5%:2"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "variant " << int(k.how) << ", faults " << k.faults);
        TEmulatorConfig c = ring(k.pages, k.rows, false, k.faults);
        c.chunkBytes = 7; // every reply arrives in pieces
        c.chunkGapMs = 5;
        ASSERT_NO_FATAL_FAILURE(start(c, k.how));
        engine->SetQuickReplies(true);
        const auto heldRows = transmitter->loggerRows();
        read(60000);
        expectAllDelivered(heldRows);
        EXPECT_GT(engine->ErrorCount(), 0u);
        EXPECT_FALSE(transmitter->loggerState().open);
        TearDown();
        rows.clear();
        positions.clear();
        messages.clear();
        finished = 0;
    }
}
