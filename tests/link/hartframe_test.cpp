// HART request frames, reply parsing and response texts.
#include "hartframe.h"
#include "testbytes.h"

#include <gtest/gtest.h>

using namespace quentry;
using quentry::test::bytes;
using quentry::test::hartReply;
using quentry::test::u8;

namespace {

TTXRXInfo shortAddress(quint8 addr)
{
    TTXRXInfo d;
    d.Saddress = addr;
    d.Preemables = 5;
    d.IsPrimary = true;
    return d;
}

TTXRXInfo longAddress()
{
    TTXRXInfo d;
    d.IsLongAddress = true;
    d.IsPrimary = true;
    d.Preemables = 5;
    d.FactoryID = 0x26;
    d.DeviceTypeID = 0x41;
    d.DeviceID_HI = 0x12;
    d.DeviceID_MID = 0x34;
    d.DeviceID_LO = 0x56;
    return d;
}

TFrameError parse(const QByteArray& rx, TTXRXInfo& d, int& offset)
{
    return HartParseReply(u8(rx), int(rx.size()), d, offset);
}

} // namespace

TEST(HartRequest, ShortAndLongFrames)
{
    TTXRXInfo d = shortAddress(2);
    d.cmd = 0;
    EXPECT_EQ(HartBuildRequest(d, nullptr, 0), bytes("FF FF FF FF FF 02 82 00 00 80"));

    TTXRXInfo l = longAddress();
    l.cmd = 131;
    const quint8 pnum = 34;
    // 82 A6 41 12 34 56 83 01 22, XOR = 0xB5
    EXPECT_EQ(HartBuildRequest(l, &pnum, 1), bytes("FF FF FF FF FF 82 A6 41 12 34 56 83 01 22 B5"));

    TTXRXInfo noMaster = shortAddress(0x45); // only the low six bits address, burst bit never set
    noMaster.IsPrimary = false;
    noMaster.Preemables = 0;
    noMaster.cmd = 1;
    EXPECT_EQ(HartBuildRequest(noMaster, nullptr, 0), bytes("02 05 01 00 06"));
}

TEST(HartReply, FindsTheFrameAndChecksIt)
{
    const QByteArray body = bytes("06 82 00 02 00 40 AA BB"); // short frame to address 2, cmd 0, 2 data bytes
    struct Case
    {
        const char* what;
        QByteArray rx;
        quint8 saddress;
        TFrameError expected;
    };
    const Case cases[] = {
        {"plain", hartReply(5, body), 2, FRERR_OK},
        {"stray bytes and three preambles", bytes("12 FF 00") + hartReply(3, body), 2, FRERR_OK},
        {"three bytes", bytes("FF FF 06"), 2, FRERR_INVALIDFRAME},
        {"no two preambles", bytes("FF 06 82 00 02 00 40 AA BB 73"), 2, FRERR_INVALIDFRAME},
        {"trailing byte", hartReply(5, body) + bytes("01"), 2, FRERR_CHKSUM},
        {"trailing bytes that cancel", hartReply(5, body) + bytes("5A 5A"), 2, FRERR_OK},
        {"other polling address", hartReply(5, body), 3, FRERR_SADDR},
        {"address above 15 never matches", hartReply(5, body), 18, FRERR_SADDR},
        {"header cut short", hartReply(2, bytes("06 82 00")), 2, FRERR_INVALIDFRAME},
    };
    for (const Case& c : cases) {
        TTXRXInfo d = shortAddress(c.saddress);
        int offset = 0;
        EXPECT_EQ(parse(c.rx, d, offset), c.expected) << c.what;
        if (c.expected == FRERR_OK) {
            EXPECT_EQ(d.cmd, 0) << c.what;
            EXPECT_EQ(d.bcnt, 2) << c.what;
            EXPECT_EQ(d.ApiError, 0x0040) << c.what;
            EXPECT_TRUE(d.IsPrimary) << c.what;
            EXPECT_EQ(quint8(c.rx[offset + 2]), 0xAA) << c.what;
        }
    }
}

TEST(HartReply, ShortFrameMatchesLowFourAddressBits)
{
    TTXRXInfo d = shortAddress(2);
    int offset = 0;
    EXPECT_EQ(parse(hartReply(5, bytes("06 B2 00 02 00 00")), d, offset), FRERR_OK); // 0x32: bits 4-5 ignored
}

TEST(HartReply, LongFrameAddressMustMatch)
{
    const QByteArray good = hartReply(5, bytes("86 A6 41 12 34 56 A4 04 00 00 01 02"));
    TTXRXInfo d = longAddress();
    int offset = 0;
    ASSERT_EQ(parse(good, d, offset), FRERR_OK);
    EXPECT_TRUE(d.IsLongAddress);
    EXPECT_EQ(d.cmd, 0xA4);
    EXPECT_EQ(d.start, 0x86);
    EXPECT_EQ(offset, 5 + 8);

    TTXRXInfo other = longAddress();
    other.DeviceID_LO = 0x57;
    EXPECT_EQ(parse(good, other, offset), FRERR_LADDR);

    TTXRXInfo manufacturerBitsOnly = longAddress();
    manufacturerBitsOnly.FactoryID = 0x26 | 0x40; // compared on the low six bits
    EXPECT_EQ(parse(good, manufacturerBitsOnly, offset), FRERR_OK);
}

TEST(HartResponse, Texts)
{
    struct Case
    {
        quint16 api;
        const char* first;
        const char* second;
        bool refused;
    };
    const Case cases[] = {
        {0x0000, "Response Code: OK.", "Field Device Status: ", false},
        {0x0541, "Response Code: TOO FEW DATA BYTES RECEIVED.", "Field Device Status: [CFGCHG] [PV_OL] ", false},
        {0x0600, "Response Code: DEVICE-SPECIFIC COMMAND ERROR.", "Field Device Status: ", false},
        {0x0700, "Response Code: IN WRITE-PROTECT MODE.", "Field Device Status: ", true},
        {0x0200, "Response Code: INVALID SELECTION.", "Field Device Status: ", true},
        {0x1000, "Response Code: ACCESS RESTRICTED.", "Field Device Status: ", true},
        {0x2080, "Response Code: DEVICE IS BUSY.", "Field Device Status: [MALF] ", true},
        {0x4000, "Response Code: COMMAND NOT IMPLEMENTED.", "Field Device Status: ", true},
        {0x0800, "Response Code: ", "Field Device Status: ", false},
        {0xDA00, "Com. Errors:[OV] [CHK ERR] [FE] [PE] ", "", false},
        {0xA0FF, "Com. Errors:[OVRUN] ", "", false},
    };
    for (const Case& c : cases) {
        THART_RESPONSE_STR t;
        EXPECT_EQ(HartDecodeResponse(c.api, t), c.refused) << std::hex << c.api;
        EXPECT_EQ(t.FirstByte, QString(c.first)) << std::hex << c.api;
        EXPECT_EQ(t.SecondByte, QString(c.second)) << std::hex << c.api;
    }
}

TEST(HexDump, TwoUpperCaseDigitsAndABlankEach)
{
    EXPECT_EQ(HexDump(u8(bytes("00 0A FF")), 3), QString("00 0A FF "));
    EXPECT_EQ(HexDump(nullptr, 0), QString());
}
