#include "logfields.h"

#include <cmath>

namespace quentry {

const TLogFields& LogTableFields()
{
    using T = TFieldType;
    static const TLogFields fields = {{
        {"recdatetim", T::DateTime, 0, 0}, {"recindex", T::Word, 0, 0},      {"eventstr", T::String, 30, 0},
        {"event", T::Word, 0, 0},          {"PV", T::Float, 0, 3},           {"DIST", T::Float, 0, 3},
        {"LEV", T::Float, 0, 3},           {"DISTLEVuni", T::String, 10, 0}, {"PVunit", T::String, 10, 0},
        {"TOT1", T::Float, 0, 3},          {"TOT2", T::Float, 0, 3},         {"TOTunit", T::String, 10, 0},
        {"temp", T::Float, 0, 2},          {"tempunit", T::String, 10, 0},   {"current", T::Float, 0, 3},
        {"error", T::Word, 0, 0},          {"status", T::Word, 0, 0},        {"Errorstr", T::String, 20, 0},
        {"Warningstr", T::String, 20, 0},  {"PVmodestr", T::String, 10, 0},  {"MenuStaStr", T::String, 20, 0},
        {"SimuActive", T::Boolean, 0, 0},  {"UPSWPres", T::Boolean, 0, 0},   {"Relay", T::Boolean, 0, 0},
        {"ULockAct", T::Boolean, 0, 0},    {"FLocked", T::Boolean, 0, 0},    {"DBurstAct", T::Boolean, 0, 0},
        {"LogOpened", T::Boolean, 0, 0},   {"CalibAct", T::Boolean, 0, 0},   {"PVValid", T::Boolean, 0, 0},
        {"pinfo_amp", T::Integer, 0, 0},   {"pinfo_ind", T::Word, 0, 0},     {"pinfo_tot", T::Word, 0, 0},
        {"SNratio", T::Word, 0, 0},        {"pchk", T::Word, 0, 0},          {"db_gain", T::Word, 0, 0},
        {"db_phase", T::Word, 0, 0},       {"db_sensind", T::Word, 0, 0},    {"dbug2", T::Word, 0, 0},
    }};
    return fields;
}

double RoundTo(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    // nearbyint follows the default rounding mode, which rounds halves to even.
    return std::nearbyint(value * scale) / scale;
}

} // namespace quentry
