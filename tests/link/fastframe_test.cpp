// FAST request frames, reply parsing and the bracketed dump.
#include "fastframe.h"
#include "testbytes.h"

#include <gtest/gtest.h>

using namespace quentry;
using quentry::test::bytes;
using quentry::test::fastReply;
using quentry::test::u8;

TEST(FastRequest, KnownFrames)
{
    EXPECT_EQ(FastBuildRequest(0, nullptr, 0), bytes("00 00 00 C0 71"));
    const QByteArray page = FastBuildRequest(106, u8(bytes("01 02")), 2);
    EXPECT_EQ(page.left(5), bytes("6A 00 02 01 02"));
    EXPECT_EQ(page.size(), 7);
}

TEST(FastReply, ChecksAndFields)
{
    TTXRXInfo r;
    int m = 0;
    const QByteArray page = fastReply(106, 0x00, QByteArray(270, char(0x11)));
    ASSERT_EQ(page.size(), 276);
    EXPECT_EQ(FastParseReply(u8(page), int(page.size()), r, m), FRERR_OK);
    EXPECT_EQ(m, 271);
    EXPECT_EQ(r.cmd, 106);

    const QByteArray flagged = fastReply(0x80, 0x07, bytes("01"));
    EXPECT_EQ(FastParseReply(u8(flagged), int(flagged.size()), r, m), FRERR_OK);
    EXPECT_EQ(r.cmd, 0);
    EXPECT_EQ(r.ApiError, 7);

    QByteArray swapped = fastReply(3, 0, bytes("0102030405"));
    std::swap(swapped[swapped.size() - 1], swapped[swapped.size() - 2]);
    EXPECT_EQ(FastParseReply(u8(swapped), int(swapped.size()), r, m), FRERR_CHKSUM);

    // Length field 46 on a 50-byte reply with a valid CRC.
    const QByteArray body = quentry::test::withCrc(bytes("05 00 2E 00") + QByteArray(44, char(0x22)));
    ASSERT_EQ(body.size(), 50);
    EXPECT_EQ(FastParseReply(u8(body), int(body.size()), r, m), FRERR_SIZE);
    EXPECT_EQ(m, 46);

    // A frame with a valid CRC but no room for its status byte.
    const QByteArray empty = bytes("FF FF");
    EXPECT_EQ(FastParseReply(u8(empty), 2, r, m), FRERR_SIZE);
}

TEST(FastReply, BracketedDump)
{
    EXPECT_EQ(FastAckDump(u8(bytes("01 00 02 00 AA BB")), 6), QString("[01 00 02] [00] AA BB"));
    EXPECT_EQ(FastAckDump(u8(bytes("01 00 02 00")), 4), QString("[01 00 02] [00"));
    EXPECT_EQ(FastAckDump(u8(bytes("01")), 1), QString("[01"));
}
