// Known-answer tests of the wire encodings.
#include "wire/crc16.h"
#include "wire/date3.h"
#include "wire/logrowcheck.h"
#include "wire/wireconv.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using namespace quentry;

TEST(Crc16, KnownAnswersAndEndIndex)
{
    const QByteArray digits("123456789");
    const auto* p = reinterpret_cast<const quint8*>(digits.constData());
    EXPECT_EQ(CRC16(p, 0, 9), 0x4B37);
    EXPECT_EQ(CRC16(p, 0, 0), 0xFFFF);
    EXPECT_EQ(CRC16(p, 5, 4), 0xFFFF); // end index before start: empty
    // count is an end index: bytes 2..8 are "3456789"
    const QByteArray tail("3456789");
    EXPECT_EQ(CRC16(p, 2, 9), CRC16(reinterpret_cast<const quint8*>(tail.constData()), 0, 7));
    // A message followed by its CRC, low byte first, checks to zero.
    quint8 framed[11];
    std::copy(p, p + 9, framed);
    framed[9] = 0x37;
    framed[10] = 0x4B;
    EXPECT_EQ(CRC16(framed, 0, 11), 0);
}

TEST(WireConversions, BcdThreeBytesAndSwaps)
{
    EXPECT_EQ(WordToBCD(0), 0);
    EXPECT_EQ(WordToBCD(1234), 0x1234);
    EXPECT_EQ(WordToBCD(9999), 0x9999);
    EXPECT_EQ(WordToBCD(10000), 0);
    quint8 b[3];
    IntToBytes3(19088743, b); // 0x1234567: only the low 24 bits travel
    EXPECT_EQ(b[0], 0x23);
    EXPECT_EQ(b[1], 0x45);
    EXPECT_EQ(b[2], 0x67);
    EXPECT_EQ(Bytes3ToInt(b), 0x234567u);
    EXPECT_EQ(SwapLongWord(0x11223344u), 0x44332211u);
}

TEST(WireConversions, SwapSingleReplacesUnusableValues)
{
    quint8 w[4];
    SingleToWire(1.5f, w);
    EXPECT_EQ(w[0], 0x3F);
    EXPECT_EQ(w[1], 0xC0);
    EXPECT_EQ(w[2], 0x00);
    EXPECT_EQ(w[3], 0x00);
    EXPECT_EQ(SwapSingle(w), 1.5f);
    const float replacement = floatFromBits(0x7F7FC99E);
    SingleToWire(std::numeric_limits<float>::infinity(), w);
    EXPECT_EQ(SwapSingle(w), replacement);
    SingleToWire(std::numeric_limits<float>::quiet_NaN(), w);
    EXPECT_EQ(SwapSingle(w), replacement);
    SingleToWire(3.40282e38f, w);
    EXPECT_EQ(SwapSingle(w), replacement);
    SingleToWire(-std::numeric_limits<float>::infinity(), w);
    EXPECT_TRUE(std::isinf(SwapSingle(w)) && SwapSingle(w) < 0);
}

TEST(WireConversions, PadString)
{
    EXPECT_EQ(PadString("abc", 8), QString("abc     "));
    EXPECT_EQ(PadString("abcdefghij", 8), QString("abcdefgh"));
    EXPECT_EQ(PadString("", 2), QString("  "));
}

TEST(PackedAscii, PackAndUnpack)
{
    quint8 out[6] = {};
    EXPECT_EQ(PackASCII("ABCD", out, 6), 3);
    EXPECT_EQ(out[0], 0x04);
    EXPECT_EQ(out[1], 0x20);
    EXPECT_EQ(out[2], 0xC4);
    EXPECT_EQ(UnpackASCII(out, 3), QString("ABCD"));

    quint8 lower[3] = {};
    PackASCII("abcd", lower, 3);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(lower), 3), QByteArray(reinterpret_cast<char*>(out), 3));

    quint8 three[3] = {9, 9, 9};
    EXPECT_EQ(PackASCII("ABC", three, 3), 3);
    EXPECT_EQ(three[0] | three[1] | three[2], 0);

    const quint8 blanks[3] = {0x82, 0x00, 0x20};
    EXPECT_EQ(UnpackASCII(blanks, 3), QString("  @ "));

    quint8 capped[3] = {};
    EXPECT_EQ(PackASCII("ABCDEFGH", capped, 3), 3); // never past the destination
}

TEST(Date3, DecodingRules)
{
    struct Case { quint8 b[3]; int y, mo, d, h, mi; };
    const Case cases[] = {
        {{0x0C, 0x05, 0xDC}, 2001, 1, 1, 1, 0},   // 1500 = day 1, 01:00
        {{0x0B, 0x05, 0xDC}, 1900, 1, 1, 0, 0},   // year 2000 counts as invalid
        {{0x7B, 0xAE, 0x60}, 1999, 1, 1, 0, 0},   // 31 April: in range, no such day
        {{0x7B, 0x00, 0x00}, 1900, 1, 1, 0, 0},   // day 0
        {{0xFF, 0x05, 0xDC}, 2021, 4, 1, 1, 0},   // the last month the stamp can name
    };
    for (const Case& c : cases) {
        const auto p = TryDecodeDateTime(Date3ToDateTime(c.b));
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->year, c.y);
        EXPECT_EQ(p->month, c.mo);
        EXPECT_EQ(p->day, c.d);
        EXPECT_EQ(p->hour, c.h);
        EXPECT_EQ(p->minute, c.mi);
    }
    const auto enc = DateTimeToDate3(2001, 1, 1, 1, 0);
    ASSERT_TRUE(enc);
    EXPECT_EQ((*enc)[0], 0x0C);
    EXPECT_EQ((*enc)[1], 0x05);
    EXPECT_EQ((*enc)[2], 0xDC);
    EXPECT_FALSE(DateTimeToDate3(2021, 5, 1, 0, 0));
    EXPECT_FALSE(DateTimeToDate3(2000, 12, 1, 0, 0));
}

TEST(DateTime, EncodeDecodeRoundTripAndInvalid)
{
    const auto v = TryEncodeDateTime(2015, 6, 30, 23, 59, 58);
    ASSERT_TRUE(v);
    const auto p = TryDecodeDateTime(*v);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->year, 2015);
    EXPECT_EQ(p->second, 58);
    EXPECT_DOUBLE_EQ(*TryEncodeDateTime(1899, 12, 30), 0.0);
    EXPECT_DOUBLE_EQ(*TryEncodeDateTime(1900, 1, 1), 2.0);
    EXPECT_FALSE(TryEncodeDateTime(2015, 2, 30));
    EXPECT_FALSE(TryEncodeDateTime(2015, 1, 1, 24, 0));
    EXPECT_FALSE(TryDecodeDateTime(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(TryDecodeDateTime(1e300));
}

TEST(LogRowChecksum, ZeroRowAndSingleByteChange)
{
    quint8 row[44] = {};
    EXPECT_EQ(LogRowChecksum(row), 135); // 0 + 1 + ... + 42 mod 256
    row[43] = 0x87;
    EXPECT_TRUE(LogRowChecksumOk(row));
    row[10] = 1;
    EXPECT_FALSE(LogRowChecksumOk(row));
}
