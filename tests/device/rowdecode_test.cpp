// Known-answer tables for logger data: time stamps, logger status, event texts, the
// rounding of values, and whole rows in both byte orders.
#include "rowdecode.h"
#include "wire/logrowcheck.h"
#include "wire/wireconv.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using namespace quentry;

namespace {

TDateTime at(int y, int mo, int d, int h = 0, int mi = 0) { return *TryEncodeDateTime(y, mo, d, h, mi); }

// One raw row with the same content, laid out high byte first (a row read alone) or low
// byte first (a row of a page). The time stamp's word is high byte first in both.
struct TRowContent
{
    quint8 stamp[3] = {0x0C, 0x05, 0xDC};
    quint16 index = 0x0102;
    quint8 event = 21;
    float PV = 1.23456f, DIST = 0.03125f, LEV = 0.09375f;
    quint8 PVunit = 45;
    float TOT1 = 12.5f, TOT2 = -0.03125f;
    quint8 TOTunit = 43;
    quint16 temperature = 0x80FA;
    quint16 current = 1234;
    quint16 error = 0x0001, status = 0x4012;
    quint16 peakinfo = 0x0465;
    quint8 SNratio = 33, pchk = 0x5A;
    quint16 debug1 = 0x0C3C; // units 2 (ft), temp. bit 3 set, gain 3, phase 0, sensor 6
    quint8 debug2 = 0x77;

    THART_LOG_Row raw(bool highFirst) const
    {
        THART_LOG_Row r{};
        auto w16 = [highFirst](quint8* p, quint16 v) { highFirst ? writeBE16(p, v) : writeLE16(p, v); };
        auto wf = [highFirst](quint8* p, float v) {
            highFirst ? writeBE32(p, bitsFromFloat(v)) : writeLE32(p, bitsFromFloat(v));
        };
        std::copy(stamp, stamp + 3, r.datetime);
        w16(r.index, index);
        r.event = event;
        wf(r.PV, PV);
        wf(r.DIST, DIST);
        wf(r.LEV, LEV);
        r.PVunit = PVunit;
        wf(r.TOT1, TOT1);
        wf(r.TOT2, TOT2);
        r.TOTunit = TOTunit;
        w16(r.temperature, temperature);
        w16(r.current, current);
        w16(r.es.error, error);
        w16(r.es.status, status);
        w16(r.peakinfo, peakinfo);
        r.SNratio = SNratio;
        r.pchk = pchk;
        w16(r.debug1, debug1);
        r.debug2 = debug2;
        r.chk = LogRowChecksum(rawBytes(r));
        return r;
    }
};

} // namespace

TEST(Date3, StampsInAndOutOfRange)
{
    const struct
    {
        quint8 b[3];
        TDateTime expected;
    } cases[] = {
        {{0x0C, 0x05, 0xDC}, at(2001, 1, 1, 1, 0)},   // w = 1500: day 1, 01:00
        {{0x00, 0x00, 0x00}, at(1900, 1, 1)},
        {{0x0B, 0x05, 0xDC}, at(1900, 1, 1)},         // year 2000 counts as invalid
        {{0x0B, 0xFF, 0xFF}, at(1900, 1, 1)},
        {{0x7B, 0xAE, 0x60}, at(1999, 1, 1)},         // 31 April 2010: in range, no such day
        {{0x7B, 0x00, 0x00}, at(1900, 1, 1)},         // day 0
        {{0x7B, 0xB4, 0x00}, at(1900, 1, 1)},         // w = 46080: day 32
        {{0xFF, 0x05, 0xA0}, at(2021, 4, 1)},         // byte 255: April 2021
        {{0x0D, 0xA3, 0x1F}, at(2001, 2, 28, 23, 59)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << int(c.b[0]) << ' ' << int(c.b[1]) << ' ' << int(c.b[2]));
        EXPECT_DOUBLE_EQ(Log_ConvertDate3ToDateTime(c.b), c.expected);
    }
}

TEST(RoundToFourDecimals, TiesToEvenAndValuesBeyondTheIntermediate)
{
    EXPECT_DOUBLE_EQ(RoundToFourDecimals(1.23456f), 1.2346);
    EXPECT_DOUBLE_EQ(RoundToFourDecimals(0.03125f), 0.0312); // 312.5: a tie, to even
    EXPECT_DOUBLE_EQ(RoundToFourDecimals(0.09375f), 0.0938); // 937.5: to even upwards
    EXPECT_DOUBLE_EQ(RoundToFourDecimals(-0.03125f), -0.0312);
    EXPECT_DOUBLE_EQ(RoundToFourDecimals(12.5f), 12.5);
    EXPECT_EQ(RoundToFourDecimals(0.0f), 0.0);
    // x 10000 no longer fits 64 bits: the value is kept as it is.
    EXPECT_EQ(RoundToFourDecimals(1e15f), double(1e15f));
    EXPECT_EQ(RoundToFourDecimals(-3.4e38f), double(-3.4e38f));
    EXPECT_EQ(RoundToFourDecimals(singleReplacement()), double(singleReplacement()));
    EXPECT_EQ(RoundToFourDecimals(std::numeric_limits<float>::infinity()), std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(RoundToFourDecimals(std::numeric_limits<float>::quiet_NaN())));
    // Just inside the intermediate: rounding still applies and stays exact.
    EXPECT_EQ(RoundToFourDecimals(9.0e14f), double(9.0e14f));
}

TEST(EventTexts, KnownCodesAndTheRest)
{
    EXPECT_EQ(GetEventstrTable(0), QStringLiteral("NOTHING"));
    EXPECT_EQ(GetEventstrTable(18), QStringLiteral("ERROR CHANGED"));
    EXPECT_EQ(GetEventstrTable(39), QStringLiteral("LOG_RD_CLOSE"));
    EXPECT_EQ(GetEventstrTable(40), QStringLiteral("UNKOWN40"));
    EXPECT_EQ(GetEventstrTable(200), QStringLiteral("UNKOWN200"));
    EXPECT_EQ(GetEventstrTable(255), QStringLiteral("UNKOWN255"));
    const auto list = EventTextList();
    ASSERT_EQ(list.size(), 41u);
    EXPECT_EQ(list[1], "CLR");
    EXPECT_TRUE(list[40].empty()); // the end of the list for those who walk it
}

TEST(CrackLOGStat, StatusByteAndWords)
{
    const struct
    {
        quint8 status;
        quint8 errorcode;
        const char* errorstr;
        bool bof, tof;
        const char* boftof;
    } cases[] = {
        {0xC2, 2, "READERROR", true, true, "?"}, {0x00, 0, "OK", false, false, ""},
        {0x41, 1, "BUSY", true, false, "BOF"},   {0x83, 3, "CLOSED", false, true, "TOF"},
        {0x04, 4, "UNKOWN", false, false, ""},   {0x3F, 63, "UNKOWN", false, false, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.status));
        const THART_LOG_Status raw{c.status, {0x30, 0x01}, {0x00, 0x2A}};
        THART_PAS_LOG_Status s;
        CrackLOGStat(TTXRXInfo{}, raw, s);
        EXPECT_EQ(s.status, c.status);
        EXPECT_EQ(s.errorcode, c.errorcode);
        EXPECT_EQ(s.errorstr, QString::fromLatin1(c.errorstr));
        EXPECT_EQ(s.BOF, c.bof);
        EXPECT_EQ(s.TOF, c.tof);
        EXPECT_EQ(s.boftofstr, QString::fromLatin1(c.boftof));
        EXPECT_EQ(s.total, 0x3001);
        EXPECT_EQ(s.pos, 42);
    }
}

TEST(LogCheckRecord, CheckByteOverTheFirst43Bytes)
{
    THART_LOG_Row row{};
    row.chk = 0x87; // 0 + 1 + ... + 42 = 903 = 0x387
    EXPECT_TRUE(LogCheckRecord(row));
    row.chk = 0x86;
    EXPECT_FALSE(LogCheckRecord(row));
    row = TRowContent{}.raw(true);
    EXPECT_TRUE(LogCheckRecord(row));
    row.PV[2] ^= 0x10;
    EXPECT_FALSE(LogCheckRecord(row));
}

TEST(LogConvertRow, BothByteOrdersDecodeTheSameRow)
{
    const TRowContent content;
    for (bool highFirst : {true, false}) {
        SCOPED_TRACE(highFirst ? "record row" : "page row");
        THART_PAS_LOG_Row row;
        const THART_LOG_Row raw = content.raw(highFirst);
        if (highFirst) LogConvertRowAndSwap(raw, row);
        else LogConvertRow(raw, row);

        EXPECT_DOUBLE_EQ(row.datetime, at(2001, 1, 1, 1, 0));
        EXPECT_EQ(row.index, 0x0102);
        EXPECT_EQ(row.event, 21);
        EXPECT_EQ(row.eventstr.str(), QStringLiteral("NOECHO"));
        EXPECT_DOUBLE_EQ(row.PV, 1.2346);
        EXPECT_DOUBLE_EQ(row.DIST, 0.0312);
        EXPECT_DOUBLE_EQ(row.LEV, 0.0938);
        EXPECT_DOUBLE_EQ(row.TOT1, 12.5);
        EXPECT_DOUBLE_EQ(row.TOT2, -0.0312);
        EXPECT_EQ(row.PVunitstr.str(), QStringLiteral("m"));
        EXPECT_EQ(row.TOTunitstr.str(), QStringLiteral("cum"));
        EXPECT_EQ(row.DISTLEVunitstr.str(), QStringLiteral("ft"));
        EXPECT_DOUBLE_EQ(row.temperature, 25.0);
        EXPECT_DOUBLE_EQ(row.current, 12.34);
        EXPECT_EQ(row.es.error, 0x0001);
        EXPECT_EQ(row.es.status, 0x4012);
        EXPECT_EQ(row.peakinfo_amp, -1); // 0x0465: amplitude 1, peak 3 of 5
        EXPECT_EQ(row.peakinfo_index, 3);
        EXPECT_EQ(row.peakinfo_total, 5);
        EXPECT_EQ(row.SNratio, 33);
        EXPECT_EQ(row.pchk, 0x5A);
        EXPECT_EQ(row.debug1_gain, 3);
        EXPECT_EQ(row.debug1_phase, 0);
        EXPECT_EQ(row.debug1_sensorindex, 6);
        EXPECT_EQ(row.debug2, 0x77);
        EXPECT_EQ(row.chk, raw.chk);
    }
}

TEST(LogConvertRow, TemperatureUnitComesFromDifferentBits)
{
    // Record row: 80 FA high byte first is 25.0; the unit is debug1 bit 3 (clear here).
    TRowContent content;
    content.debug1 = 0;
    THART_LOG_Row raw = content.raw(true);
    EXPECT_EQ(raw.temperature[0], 0x80);
    EXPECT_EQ(raw.temperature[1], 0xFA);
    THART_PAS_LOG_Row row;
    LogConvertRowAndSwap(raw, row);
    EXPECT_DOUBLE_EQ(row.temperature, 25.0);
    EXPECT_EQ(row.temperatureunitstr.str(), QStringLiteral("Cgrad"));
    content.debug1 = 0x0008;
    LogConvertRowAndSwap(content.raw(true), row);
    EXPECT_EQ(row.temperatureunitstr.str(), QStringLiteral("Fgrad"));

    // Page row: FA 80 low byte first is the same word; bit 15 makes it Fahrenheit.
    content.debug1 = 0;
    raw = content.raw(false);
    EXPECT_EQ(raw.temperature[0], 0xFA);
    EXPECT_EQ(raw.temperature[1], 0x80);
    LogConvertRow(raw, row);
    EXPECT_DOUBLE_EQ(row.temperature, 25.0);
    EXPECT_EQ(row.temperatureunitstr.str(), QStringLiteral("Fgrad"));
    content.temperature = 0x00FA;
    content.debug1 = 0x0008; // not consulted in a page row
    LogConvertRow(content.raw(false), row);
    EXPECT_EQ(row.temperatureunitstr.str(), QStringLiteral("Cgrad"));
}

TEST(LogConvertRow, PeakInfoAndDistanceUnits)
{
    TRowContent content;
    content.peakinfo = 0xFC00;
    THART_PAS_LOG_Row row;
    LogConvertRowAndSwap(content.raw(true), row);
    EXPECT_EQ(row.peakinfo_amp, -63);
    EXPECT_EQ(row.peakinfo_index, 0);
    EXPECT_EQ(row.peakinfo_total, 0);
    const char* units[] = {"m", "cm", "ft", "inch"};
    for (int u = 0; u < 4; ++u) {
        content.debug1 = quint16(u << 1);
        LogConvertRow(content.raw(false), row);
        EXPECT_EQ(row.DISTLEVunitstr.str(), QString::fromLatin1(units[u]));
    }
}

TEST(LogConvertRow, UnusableSinglesPerByteOrder)
{
    TRowContent content;
    content.PV = std::numeric_limits<float>::quiet_NaN();
    content.DIST = std::numeric_limits<float>::infinity();
    content.LEV = -std::numeric_limits<float>::infinity();
    content.TOT1 = 1e16f; // beyond the 64-bit intermediate once scaled
    THART_PAS_LOG_Row row;
    // Read alone: NaN and +infinity are replaced by 3.4e38, -infinity passes.
    LogConvertRowAndSwap(content.raw(true), row);
    EXPECT_EQ(row.PV, double(singleReplacement()));
    EXPECT_EQ(row.DIST, double(singleReplacement()));
    EXPECT_EQ(row.LEV, -std::numeric_limits<double>::infinity());
    EXPECT_EQ(row.TOT1, double(1e16f));
    // In a page: taken as they come, and kept as they are.
    LogConvertRow(content.raw(false), row);
    EXPECT_TRUE(std::isnan(row.PV));
    EXPECT_EQ(row.DIST, std::numeric_limits<double>::infinity());
    EXPECT_EQ(row.TOT1, double(1e16f));
}

TEST(LogConvertRow, EventTextAndTextsAreCutToTheirFields)
{
    TRowContent content;
    content.event = 200;
    content.PVunit = 250;
    THART_PAS_LOG_Row row;
    LogConvertRowAndSwap(content.raw(true), row);
    EXPECT_EQ(row.eventstr.str(), QStringLiteral("UNKOWN200"));
    EXPECT_EQ(row.PVunitstr.str(), QStringLiteral("(250)"));
    content.event = 0;
    LogConvertRow(content.raw(false), row);
    EXPECT_EQ(row.eventstr.str(), QStringLiteral("NOTHING"));
}
