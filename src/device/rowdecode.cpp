#include "rowdecode.h"

#include "shorttext.h"
#include "statusdecode.h"
#include "wire/date3.h"
#include "wire/logrowcheck.h"
#include "wire/wireconv.h"

#include <array>
#include <cmath>
#include <string>

namespace quentry {
namespace {

constexpr std::array<std::string_view, 41> kEventTexts = {
    "NOTHING",          "CLR",                "ON",                  "OFF",
    "READ",             "POWERON",            "WATCHDOG",            "SCHEDULED",
    "PTOMEAS_PNOTCHANGED", "PTOMEAS_PCHANGED", "PTOMEAS_P01",         "PTOMEAS_PSW",
    "TOT1CLR",          "TOT1CARRY",          "TOT2CARRY",           "PTABCHKSUM",
    "RELAYON",          "RELAYOFF",           "ERROR CHANGED",       "STATUS CHANGED",
    "ERROR_WARNING",    "NOECHO",             "RTC_DEFAULT",         "RTC_SET",
    "PRIMARY_VALUE_VAR", "MAX_GAIN",          "PRIMARY_VALUE_OUTZ",  "PRIMARY_VALUE_RETZ",
    "SIM_ON",           "NOECHO_HOLD_ON",     "NOECHO_FILLSIM_ON",   "NOECHO_INFINITE_ON",
    "SIM_OFF",          "NOECHO_HOLD_OFF",    "NOECHO_FILLSIM_OFF",  "NOECHO_INFINITE_OFF",
    "ECHO_BLK_IN",      "ECHO_BLK_OUT",       "LOG_RD_OPEN",         "LOG_RD_CLOSE",
    "",
};
constexpr int kKnownEvents = 40;

constexpr std::array<std::string_view, 4> kDistLevUnits = {"m", "cm", "ft", "inch"};
constexpr std::array<std::string_view, 4> kLogErrorTexts = {"OK", "BUSY", "READERROR", "CLOSED"};
constexpr std::array<std::string_view, 4> kBofTofTexts = {"", "BOF", "TOF", "?"};

const std::array<std::string, 256>& eventTexts()
{
    static const std::array<std::string, 256> texts = [] {
        std::array<std::string, 256> t;
        for (int code = 0; code < 256; ++code)
            t[code] = code < kKnownEvents ? std::string(kEventTexts[code]) : "UNKOWN" + std::to_string(code);
        return t;
    }();
    return texts;
}

// The two byte orders of a raw row; everything else of the decoding is shared.
struct TBigEndian
{
    static quint16 word(const quint8* p) { return readBE16(p); }
    static float single(const quint8* p) { return SwapSingle(p); }
    static bool fahrenheit(quint16 /*temperature*/, quint16 debug1) { return debug1 & 0x0008; }
};

struct TLittleEndian
{
    static quint16 word(const quint8* p) { return readLE16(p); }
    static float single(const quint8* p) { return floatFromBits(readLE32(p)); }
    static bool fahrenheit(quint16 temperature, quint16 /*debug1*/) { return temperature & 0x8000; }
};

template <class Order> void convertRow(const THART_LOG_Row& raw, THART_PAS_LOG_Row& row)
{
    row.datetime = Date3ToDateTime(raw.datetime);
    row.index = Order::word(raw.index);
    row.event = raw.event;
    assignText(row.eventstr, EventText(raw.event));
    row.PV = RoundToFourDecimals(Order::single(raw.PV));
    row.DIST = RoundToFourDecimals(Order::single(raw.DIST));
    row.LEV = RoundToFourDecimals(Order::single(raw.LEV));
    row.TOT1 = RoundToFourDecimals(Order::single(raw.TOT1));
    row.TOT2 = RoundToFourDecimals(Order::single(raw.TOT2));
    assignText(row.PVunitstr, UnitCodeText(raw.PVunit));
    assignText(row.TOTunitstr, UnitCodeText(raw.TOTunit));
    const quint16 debug1 = Order::word(raw.debug1);
    assignText(row.DISTLEVunitstr, kDistLevUnits[(debug1 >> 1) & 3]);
    const quint16 temperature = Order::word(raw.temperature);
    row.temperature = double(temperature & 0x7FFF) / 10.0;
    assignText(row.temperatureunitstr, Order::fahrenheit(temperature, debug1) ? "Fgrad" : "Cgrad");
    row.current = double(Order::word(raw.current)) / 100.0;
    row.es.error = Order::word(raw.es.error);
    row.es.status = Order::word(raw.es.status);
    const quint16 peak = Order::word(raw.peakinfo);
    row.peakinfo_amp = -qint32(peak >> 10);
    row.peakinfo_index = quint8((peak >> 5) & 31);
    row.peakinfo_total = quint8(peak & 31);
    row.SNratio = raw.SNratio;
    row.pchk = raw.pchk;
    row.debug2 = raw.debug2;
    row.chk = raw.chk;
    row.debug1_gain = quint8((debug1 >> 4) & 7);
    row.debug1_phase = quint8((debug1 >> 7) & 3);
    row.debug1_sensorindex = quint8((debug1 >> 9) & 15);
}

} // namespace

TDateTime Log_ConvertDate3ToDateTime(const quint8* f_b) { return Date3ToDateTime(f_b); }

void CrackLOGStat(const TTXRXInfo& /*f_device*/, const THART_LOG_Status& raw, THART_PAS_LOG_Status& s)
{
    s.status = raw.status;
    s.BOF = raw.status & 0x40;
    s.TOF = raw.status & 0x80;
    s.errorcode = raw.status & 0x3F;
    s.errorstr = fromSingleByte(s.errorcode < kLogErrorTexts.size() ? kLogErrorTexts[s.errorcode] : "UNKOWN");
    s.boftofstr = fromSingleByte(kBofTofTexts[raw.status >> 6]);
    s.total = readBE16(raw.total);
    s.pos = readBE16(raw.pos);
}

bool LogCheckRecord(const THART_LOG_Row& f_log_Row) { return LogRowChecksumOk(rawBytes(f_log_Row)); }

std::string_view EventText(quint8 f_eventcode) { return eventTexts()[f_eventcode]; }

QString GetEventstrTable(quint8 f_eventcode) { return fromSingleByte(EventText(f_eventcode)); }

std::span<const std::string_view> EventTextList() { return kEventTexts; }

double RoundToFourDecimals(float value)
{
    // A single times 10000 is exact in a double, so a tie in the product is a real tie.
    const double scaled = double(value) * 10000.0;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 0x1p63) return double(value);
    return std::nearbyint(scaled) / 10000.0;
}

void LogConvertRowAndSwap(const THART_LOG_Row& f_log_Row, THART_PAS_LOG_Row& f_pas_log_Row)
{
    convertRow<TBigEndian>(f_log_Row, f_pas_log_Row);
}

void LogConvertRow(const THART_LOG_Row& f_log_Row, THART_PAS_LOG_Row& f_pas_log_Row)
{
    convertRow<TLittleEndian>(f_log_Row, f_pas_log_Row);
}

void LogDecodePage(const TFAST_LOG_RdPage& f_raw, TFAST_PAS_LOG_RdPage& f_page)
{
    for (int i = 0; i < kRowsPerPage; ++i) {
        THART_PAS_LOG_Row& row = f_page.rows[size_t(i)];
        if (LogCheckRecord(f_raw.rows[i])) {
            LogConvertRow(f_raw.rows[i], row);
            _CrackErrStat(0, row.es);
        } else {
            row.event = kChecksumErrorEvent;
            assignText(row.eventstr, "CHECKSUM ERROR");
        }
    }
}

} // namespace quentry
