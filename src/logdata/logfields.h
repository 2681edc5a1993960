#pragma once
// The 39 typed, named fields of the log table, in order, and the rounding that fills its
// float fields.
#include <QtGlobal>
#include <array>

namespace quentry {

enum class TFieldType : quint8 { DateTime, Word, Smallint, Integer, Float, Boolean, String };

struct TLogField
{
    const char* name;
    TFieldType type;
    int size;     // characters of a string field; 0 otherwise
    int decimals; // decimals a float field is rounded to; 0 otherwise
};

constexpr int kLogFieldCount = 39;
using TLogFields = std::array<TLogField, kLogFieldCount>;

// Column numbers (0-based) of the fields, in table order.
enum TLogColumn : int {
    lc_recdatetim, lc_recindex, lc_eventstr, lc_event, lc_PV, lc_DIST, lc_LEV, lc_DISTLEVuni, lc_PVunit,
    lc_TOT1, lc_TOT2, lc_TOTunit, lc_temp, lc_tempunit, lc_current, lc_error, lc_status, lc_Errorstr,
    lc_Warningstr, lc_PVmodestr, lc_MenuStaStr, lc_SimuActive, lc_UPSWPres, lc_Relay, lc_ULockAct,
    lc_FLocked, lc_DBurstAct, lc_LogOpened, lc_CalibAct, lc_PVValid, lc_pinfo_amp, lc_pinfo_ind,
    lc_pinfo_tot, lc_SNratio, lc_pchk, lc_db_gain, lc_db_phase, lc_db_sensind, lc_dbug2,
};

const TLogFields& LogTableFields();

// value x 10^decimals rounded to an integer with halves to even, then divided by
// 10^decimals. 0.0625 to 3 decimals gives 0.062.
double RoundTo(double value, int decimals);

} // namespace quentry
