// Quick replies: a reply is evaluated the moment its bytes form a whole frame with a good
// checksum; anything less falls back to the byte gap, and bytes after the frame are not
// part of it.
#include "enginefixture.h"
#include "fastframe.h"
#include "hartframe.h"
#include "testbytes.h"
#include "waiting.h"

using namespace quentry;
using namespace quentry::test;

namespace {

// Command 0's reply at polling address 2 (short frame) or long-addressed, with data bytes.
QByteArray hartIdentity(int preambles, bool longAddress, int dataBytes)
{
    QByteArray body = longAddress ? bytes("86 A6 41 12 34 56") : bytes("06 82");
    body.append(char(0)).append(char(dataBytes + 2)).append(char(0)).append(char(0));
    for (int i = 0; i < dataBytes; ++i) body.append(char(i * 7));
    return hartReply(preambles, body);
}

QByteArray flipLast(QByteArray frame)
{
    frame[frame.size() - 1] = char(frame.back() ^ 0x01);
    return frame;
}

const QByteArray kIdentityData = bytes("FE 26 41 05 05 01 02 03 00 12 34 56 05 06 01 00");
const QByteArray kMeasurementRequest = bytes("00 00 00 C0 71");

} // namespace

TEST(QuickReplyFrames, HartFrameIsWholeOnlyAtItsLastByteWithItsChecksum)
{
    for (int preambles = 2; preambles <= 20; ++preambles) {
        for (bool longAddress : {false, true}) {
            for (int data : {0, 1, 16, 24}) {
                const QByteArray f = hartIdentity(preambles, longAddress, data);
                const int size = int(f.size());
                SCOPED_TRACE(testing::Message() << preambles << " preambles, long " << longAddress << ", "
                                                << data << " data bytes");
                EXPECT_EQ(HartCompleteFrame(test::u8(f), size), size);
                for (int cut = 0; cut < size; ++cut) ASSERT_EQ(HartCompleteFrame(test::u8(f), cut), 0) << cut;
                EXPECT_EQ(HartCompleteFrame(test::u8(flipLast(f)), size), 0) << "checksum fails";
                const QByteArray trailing = f + bytes("00 FF 12");
                EXPECT_EQ(HartCompleteFrame(test::u8(trailing), int(trailing.size())), size) << "trailing bytes";
            }
        }
    }
    // A single 0xFF before the delimiter is no preamble sequence.
    const QByteArray one = hartIdentity(1, false, 0);
    EXPECT_EQ(HartCompleteFrame(test::u8(one), int(one.size())), 0);
}

TEST(QuickReplyFrames, FastFrameIsWholeAtItsLengthFieldWithItsCrc)
{
    for (int total = 6; total <= 1025; ++total) {
        const QByteArray f = fastReply(3, 0, QByteArray(total - 6, char(total & 0xFF)));
        ASSERT_EQ(int(f.size()), total);
        ASSERT_EQ(FastCompleteFrame(test::u8(f), total), total) << total;
        for (int cut : {0, 2, 3, total - 2, total - 1}) ASSERT_EQ(FastCompleteFrame(test::u8(f), cut), 0) << total << "/" << cut;
        ASSERT_EQ(FastCompleteFrame(test::u8(flipLast(f)), total), 0) << total;
        const QByteArray trailing = f + bytes("AA 55");
        ASSERT_EQ(FastCompleteFrame(test::u8(trailing), total + 2), total) << total;
    }
    // A length field without even a status byte is left to the parser.
    const QByteArray empty = withCrc(bytes("03 00 00"));
    EXPECT_EQ(FastCompleteFrame(test::u8(empty), int(empty.size())), 0);
}

class QuickReplyEngine : public EngineTest
{
protected:
    // A byte gap long enough that ending a reply by the gap is plainly visible in the time.
    static constexpr int kGapMs = 400;

    void openQuick(TProtokoll p)
    {
        open(p);
        engine->SetTime_ByteGap(kGapMs);
        engine->SetQuickReplies(true);
    }

    qint64 identityRead(THART_UniqueID& id, TTXRXInfo& d)
    {
        QElapsedTimer t;
        t.start();
        engine->HART_RdUniqueID(d, id);
        return t.elapsed();
    }
};

TEST_F(QuickReplyEngine, AReplyInChunksEndsAtItsLastByteNotAtTheGap)
{
    openQuick(prt_HART);
    QByteArray body = bytes("06 82 00 12 00 00");
    const QByteArray reply = hartReply(5, body + kIdentityData);
    port->responder = [&reply](TFakeSerialPort& p, const QByteArray&) {
        p.deliver(reply.left(9), 5);
        p.deliver(reply.mid(9, 8), 60);
        p.deliver(reply.mid(17), 120);
    };
    TTXRXInfo d = polled(2);
    THART_UniqueID id{};
    const qint64 ms = identityRead(id, d);
    EXPECT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(id.FactoryID, 0x26);
    EXPECT_GE(ms, 110) << "not before the last chunk";
    EXPECT_LT(ms, 120 + kGapMs / 2) << "without waiting for the byte gap";
    EXPECT_EQ(engine->TxCount(), 1u);
    EXPECT_EQ(engine->RxCount(), 1u);
}

TEST_F(QuickReplyEngine, AFrameWhoseChecksumFailsWaitsForTheGapAndIsSentAgain)
{
    openQuick(prt_HART);
    const QByteArray good = hartReply(5, bytes("06 82 00 12 00 00") + kIdentityData);
    int sends = 0;
    port->responder = [&](TFakeSerialPort& p, const QByteArray&) { p.deliver(++sends == 1 ? flipLast(good) : good, 5); };
    TTXRXInfo d = polled(2);
    THART_UniqueID id{};
    const qint64 ms = identityRead(id, d);
    EXPECT_EQ(d.FrameError, FRERR_OK);
    EXPECT_EQ(sends, 2);
    EXPECT_GE(ms, kGapMs) << "the broken frame ended at the gap";
    EXPECT_LT(ms, 2 * kGapMs) << "the good one did not";
    EXPECT_EQ(countLog("RETRY|"), 1);
}

TEST_F(QuickReplyEngine, BytesAfterAWholeFrameDoNotReachTheNextTransaction)
{
    openQuick(prt_MODE3);
    const QByteArray reply = fastReply(0, 0, QByteArray(45, char(0x11)));
    int requests = 0;
    port->responder = [&](TFakeSerialPort& p, const QByteArray& w) {
        if (w != kMeasurementRequest) return;
        ++requests;
        p.deliver(reply + bytes("5A A5"), 2);   // trailing bytes in the same burst
        p.deliver(bytes("C3"), 30);             // and one more a little later
    };
    for (int i = 0; i < 3; ++i) {
        TTXRXInfo d;
        TFAST_RDMEAS meas{};
        engine->FAST_RDMEAS(d, meas);
        ASSERT_EQ(d.FrameError, FRERR_OK) << i;
        WaitFor(60); // let the late byte arrive between transactions
    }
    EXPECT_EQ(requests, 3);
    EXPECT_EQ(engine->TxCount(), 3u) << "no retries";
    EXPECT_EQ(engine->ErrorCount(), 0u);
    EXPECT_EQ(countLog("ERR|2 byte(s) after the reply dropped: "), 3);
}

TEST_F(QuickReplyEngine, OffByDefaultAndThenEveryReplyWaitsForTheGap)
{
    open(prt_HART);
    EXPECT_FALSE(engine->QuickReplies());
    engine->SetTime_ByteGap(kGapMs);
    const QByteArray reply = hartReply(5, bytes("06 82 00 12 00 00") + kIdentityData);
    port->responder = [&reply](TFakeSerialPort& p, const QByteArray&) { p.deliver(reply, 5); };
    TTXRXInfo d = polled(2);
    THART_UniqueID id{};
    const qint64 ms = identityRead(id, d);
    EXPECT_EQ(d.FrameError, FRERR_OK);
    EXPECT_GE(ms, kGapMs);
}
