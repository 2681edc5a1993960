// Known-answer tables for the error/status block and the unit codes.
#include "statusdecode.h"

#include <gtest/gtest.h>

using namespace quentry;

namespace {

struct TBlockCase
{
    quint8 raw[4];
    const char* error;
    const char* warning;
    const char* mode;
    const char* menu;
};

THART_PAS_ERRSTAT crack(const quint8 (&raw)[4])
{
    THART_ERRSTAT block{{raw[0], raw[1]}, {raw[2], raw[3]}};
    THART_PAS_ERRSTAT e;
    CrackErrStat(TTXRXInfo{}, block, e);
    return e;
}

using TFlag = bool THART_PAS_ERRSTAT::*;
const std::pair<int, TFlag> kFlagBits[] = {
    {5, &THART_PAS_ERRSTAT::SimulationActive}, {6, &THART_PAS_ERRSTAT::UPSWPresent},
    {7, &THART_PAS_ERRSTAT::Relay},            {8, &THART_PAS_ERRSTAT::ULockActive},
    {9, &THART_PAS_ERRSTAT::FLocked},          {11, &THART_PAS_ERRSTAT::DiagBurstActive},
    {12, &THART_PAS_ERRSTAT::LoggerOpened},    {13, &THART_PAS_ERRSTAT::CalibrationActive},
    {14, &THART_PAS_ERRSTAT::PVValid},
};

} // namespace

TEST(CrackErrStat, TextsOfTheBlock)
{
    const TBlockCase cases[] = {
        {{0x00, 0x00, 0x00, 0x00}, "No Errors", "No Warnings", "DIST", "MEASURING"},
        {{0x18, 0x03, 0x00, 0x00}, "No Echo", "Err T. Sens.", "DIST", "MEASURING"}, // lowest bits win
        {{0x00, 0x06, 0x00, 0x00}, "Err 3", "No Warnings", "DIST", "MEASURING"},
        {{0x01, 0x80, 0x00, 0x00}, "Err 18", "Err 7", "DIST", "MEASURING"},
        {{0xE0, 0x00, 0x00, 0x00}, "No Errors", "No Warnings", "DIST", "MEASURING"}, // bits 13-15 not decoded
        {{0x10, 0x00, 0x00, 0x18}, "No Errors", "Err 4", "DIST", "REMOTE PROG."},    // bit 4 wins over bit 3
        {{0x00, 0x00, 0x00, 0x08}, "No Errors", "No Warnings", "DIST", "MANUAL PROG."},
        {{0x00, 0x00, 0x00, 0x07}, "No Errors", "No Warnings", "--", "MEASURING"},
        {{0x00, 0x00, 0x00, 0x05}, "No Errors", "No Warnings", "FLOW", "MEASURING"},
        {{0x00, 0x00, 0x00, 0x12}, "No Errors", "No Warnings", "LEV%", "REMOTE PROG."},
    };
    for (const TBlockCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.raw[0]) << ' ' << int(c.raw[1]) << ' '
                                        << int(c.raw[2]) << ' ' << int(c.raw[3]));
        const THART_PAS_ERRSTAT e = crack(c.raw);
        EXPECT_EQ(e.Errorstr.str(), QString::fromLatin1(c.error));
        EXPECT_EQ(e.Warningstr.str(), QString::fromLatin1(c.warning));
        EXPECT_EQ(e.PVmodestr.str(), QString::fromLatin1(c.mode));
        EXPECT_EQ(e.MenuStateStr.str(), QString::fromLatin1(c.menu));
    }
}

TEST(CrackErrStat, WordsArriveHighByteFirstAndCarriedFieldsStay)
{
    THART_ERRSTAT block{{0x12, 0x34}, {0x56, 0x78}};
    THART_PAS_ERRSTAT e;
    e.PVmode = 7;
    e.MenuState = 9;
    CrackErrStat(TTXRXInfo{}, block, e);
    EXPECT_EQ(e.error, 0x1234);
    EXPECT_EQ(e.status, 0x5678);
    EXPECT_EQ(e.PVmode, 7);
    EXPECT_EQ(e.MenuState, 9);
}

TEST(CrackErrStat, EachFlagHasItsOwnStatusBit)
{
    for (int bit = 0; bit < 16; ++bit) {
        SCOPED_TRACE(bit);
        THART_PAS_ERRSTAT e;
        e.status = quint16(1u << bit);
        _CrackErrStat(0, e);
        for (const auto& [flagBit, flag] : kFlagBits) EXPECT_EQ(e.*flag, flagBit == bit) << "flag of bit " << flagBit;
    }
    THART_PAS_ERRSTAT all;
    all.status = 0x7BE0;
    _CrackErrStat(0, all);
    for (const auto& [flagBit, flag] : kFlagBits) EXPECT_TRUE(all.*flag) << flagBit;
}

TEST(CrackErrStat, ErrorAndWarningTextOfEveryBit)
{
    const char* errors[] = {"No Echo", "Err 3", "Err 16", "Err 13", "Err 14", "Err 12", "Err 15", "Err 18"};
    for (int bit = 0; bit < 8; ++bit) {
        EXPECT_EQ(_CrackErrStr(quint16(1u << bit)), QString::fromLatin1(errors[bit]));
        EXPECT_EQ(_CrackWarningStr(quint16(1u << bit)), QStringLiteral("No Warnings"));
    }
    const char* warnings[] = {"Err 7", "Err 5", "Sub 0", "Err T. Sens.", "Err 4"};
    for (int bit = 8; bit <= 12; ++bit) {
        EXPECT_EQ(_CrackWarningStr(quint16(1u << bit)), QString::fromLatin1(warnings[bit - 8]));
        EXPECT_EQ(_CrackErrStr(quint16(1u << bit)), QStringLiteral("No Errors"));
    }
}

TEST(UnitCodeToStr, TableAndCodesWithoutText)
{
    const std::pair<int, const char*> cases[] = {
        {45, "m"},          {46, "(46)"},   {0, "(0)"},     {255, "(255)"},   {1, "(1)"},
        {250, "(250)"},     {16, "gal/min"}, {18, "gal/min"}, {62, "t"},       {65, "t"},
        {15, "cuft/min"},   {240, "liter/day"}, {138, "liter/hour"}, {57, "%"}, {35, "gradK"},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(UnitCodeToStr(quint8(code)), QString::fromLatin1(text)) << code;

    int withText = 0;
    for (int code = 0; code < 256; ++code)
        if (!UnitCodeToStr(quint8(code)).startsWith(QLatin1Char('('))) ++withText;
    EXPECT_EQ(withText, 61);
}
