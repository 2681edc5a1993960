// The request parser on split, noisy and mixed input.
#include "handvectors.h"
#include "requestparser.h"

#include <gtest/gtest.h>

using namespace quentry::emulator;
using quentry::test::hexBytes;

namespace {

std::vector<TParsedRequest> feed(TRequestParser& p, const QByteArray& bytes)
{
    std::vector<TParsedRequest> out;
    p.feed(reinterpret_cast<const quint8*>(bytes.constData()), int(bytes.size()), out);
    return out;
}

const QByteArray kHartCmd0 = hexBytes("FF FF FF FF FF 02 82 00 00 80");
const QByteArray kFastPage = hexBytes("6A 00 02 01 02 98 1D");

} // namespace

TEST(RequestParser, HartFrameAfterNoiseAndAcrossReads)
{
    TRequestParser p;
    // Noise, a frame with a wrong checksum, then the good frame split in three reads.
    const QByteArray noise = hexBytes("00 12 FF 34 FF FF 02 82 00 00 81");
    EXPECT_TRUE(feed(p, noise + kHartCmd0.left(3)).empty());
    EXPECT_TRUE(feed(p, kHartCmd0.mid(3, 4)).empty());
    const auto found = feed(p, kHartCmd0.mid(7));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].cmd, 0);
    EXPECT_FALSE(found[0].longAddress);
    EXPECT_EQ(found[0].address[0], 0x82);
    EXPECT_EQ(found[0].preambles, 5);
    EXPECT_EQ(found[0].raw, kHartCmd0);
    EXPECT_EQ(found[0].endOffset, 2);
    EXPECT_EQ(p.garbageBytes(), noise.size());
    EXPECT_FALSE(p.hasPending());
}

TEST(RequestParser, HartLongFrameWithDataAndTwoInOneRead)
{
    TRequestParser p;
    const QByteArray longFrame = hexBytes("FF FF 82 A0 51 01 23 45 83 01 23 B5");
    const auto found = feed(p, longFrame + kHartCmd0);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_TRUE(found[0].longAddress);
    EXPECT_EQ(found[0].cmd, 131);
    EXPECT_EQ(found[0].data, hexBytes("23"));
    EXPECT_EQ(found[0].endOffset, longFrame.size() - 1);
    EXPECT_EQ(found[1].endOffset, longFrame.size() + kHartCmd0.size() - 1);
}

TEST(RequestParser, FastFrameBehindGarbageIsFoundWhenTheLineGoesQuiet)
{
    TRequestParser p;
    p.setMode(TLineMode::Fast);
    ASSERT_EQ(feed(p, kFastPage).size(), 1u);
    // Two stray bytes in front read as a header whose length (106 bytes) never comes.
    EXPECT_TRUE(feed(p, hexBytes("01 00") + kFastPage).empty());
    EXPECT_TRUE(p.hasPending());
    std::vector<TParsedRequest> late;
    p.flushIdle(late);
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(late[0].cmd, 106);
    EXPECT_EQ(late[0].data, hexBytes("01 02"));
    EXPECT_EQ(late[0].endOffset, -1);
    // A CRC sent low byte first is not a request.
    EXPECT_TRUE(feed(p, hexBytes("6A 00 02 01 02 1D 98")).empty());
}

TEST(RequestParser, AdapterWakeUpAndModeCommand)
{
    TRequestParser p;
    p.setMode(TLineMode::Adapter);
    const auto found = feed(p, hexBytes("57 00 30 30 15 A4"));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_TRUE(found[0].wakeUp);
    EXPECT_EQ(found[1].modeCommand[0], 0x30);
    EXPECT_EQ(found[1].modeCommand[1], 0x30);
    EXPECT_EQ(p.garbageBytes(), 1);
}

TEST(RequestParser, BufferStaysBounded)
{
    TRequestParser p;
    // A frame that announces 255 data bytes and a flood of preambles never grow it past its limit.
    QByteArray flood = hexBytes("FF FF 02 80 00 FF");
    flood += QByteArray(5000, char(0xFF));
    feed(p, flood);
    EXPECT_LE(p.pendingBytes(), TRequestParser::kBufferLimit);
    std::vector<TParsedRequest> out;
    p.flushIdle(out);
    EXPECT_FALSE(p.hasPending());
    ASSERT_EQ(feed(p, kHartCmd0).size(), 1u);
}
