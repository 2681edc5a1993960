#include "logrecord.h"

namespace quentry {
namespace {

template <int N> QString Cut(const TShortString<N>& s, TLogColumn column)
{
    const int size = LogTableFields()[column].size;
    return fromSingleByte(s.chars.data(), std::min(s.size(), size));
}

double Rounded(double v, TLogColumn column) { return RoundTo(v, LogTableFields()[column].decimals); }

} // namespace

TLogRecord LogRecordFromRow(const THART_PAS_LOG_Row& row)
{
    TLogRecord r;
    r.recdatetim = row.datetime;
    r.recindex = row.index;
    r.eventstr = Cut(row.eventstr, lc_eventstr);
    r.event = row.event;
    r.PV = Rounded(row.PV, lc_PV);
    r.DIST = Rounded(row.DIST, lc_DIST);
    r.LEV = Rounded(row.LEV, lc_LEV);
    r.DISTLEVuni = Cut(row.DISTLEVunitstr, lc_DISTLEVuni);
    r.PVunit = Cut(row.PVunitstr, lc_PVunit);
    r.TOT1 = Rounded(row.TOT1, lc_TOT1);
    r.TOT2 = Rounded(row.TOT2, lc_TOT2);
    r.TOTunit = Cut(row.TOTunitstr, lc_TOTunit);
    r.temp = Rounded(row.temperature, lc_temp);
    r.tempunit = Cut(row.temperatureunitstr, lc_tempunit);
    r.current = Rounded(row.current, lc_current);
    r.error = row.es.error;
    r.status = row.es.status;
    r.Errorstr = Cut(row.es.Errorstr, lc_Errorstr);
    r.Warningstr = Cut(row.es.Warningstr, lc_Warningstr);
    r.PVmodestr = Cut(row.es.PVmodestr, lc_PVmodestr);
    r.MenuStaStr = Cut(row.es.MenuStateStr, lc_MenuStaStr);
    r.SimuActive = row.es.SimulationActive;
    r.UPSWPres = row.es.UPSWPresent;
    r.Relay = row.es.Relay;
    r.ULockAct = row.es.ULockActive;
    r.FLocked = row.es.FLocked;
    r.DBurstAct = row.es.DiagBurstActive;
    r.LogOpened = row.es.LoggerOpened;
    r.CalibAct = row.es.CalibrationActive;
    r.PVValid = row.es.PVValid;
    r.pinfo_amp = row.peakinfo_amp;
    r.pinfo_ind = row.peakinfo_index;
    r.pinfo_tot = row.peakinfo_total;
    r.SNratio = row.SNratio;
    r.pchk = row.pchk;
    r.db_gain = row.debug1_gain;
    r.db_phase = row.debug1_phase;
    r.db_sensind = row.debug1_sensorindex;
    r.dbug2 = row.debug2;
    return r;
}

QVariant TLogRecord::Value(int column) const
{
    switch (column) {
    case lc_recdatetim: return toQDateTime(recdatetim);
    case lc_recindex: return int(recindex);
    case lc_eventstr: return eventstr;
    case lc_event: return int(event);
    case lc_PV: return PV;
    case lc_DIST: return DIST;
    case lc_LEV: return LEV;
    case lc_DISTLEVuni: return DISTLEVuni;
    case lc_PVunit: return PVunit;
    case lc_TOT1: return TOT1;
    case lc_TOT2: return TOT2;
    case lc_TOTunit: return TOTunit;
    case lc_temp: return temp;
    case lc_tempunit: return tempunit;
    case lc_current: return current;
    case lc_error: return int(error);
    case lc_status: return int(status);
    case lc_Errorstr: return Errorstr;
    case lc_Warningstr: return Warningstr;
    case lc_PVmodestr: return PVmodestr;
    case lc_MenuStaStr: return MenuStaStr;
    case lc_SimuActive: return SimuActive;
    case lc_UPSWPres: return UPSWPres;
    case lc_Relay: return Relay;
    case lc_ULockAct: return ULockAct;
    case lc_FLocked: return FLocked;
    case lc_DBurstAct: return DBurstAct;
    case lc_LogOpened: return LogOpened;
    case lc_CalibAct: return CalibAct;
    case lc_PVValid: return PVValid;
    case lc_pinfo_amp: return int(pinfo_amp);
    case lc_pinfo_ind: return int(pinfo_ind);
    case lc_pinfo_tot: return int(pinfo_tot);
    case lc_SNratio: return int(SNratio);
    case lc_pchk: return int(pchk);
    case lc_db_gain: return int(db_gain);
    case lc_db_phase: return int(db_phase);
    case lc_db_sensind: return int(db_sensind);
    case lc_dbug2: return int(dbug2);
    default: return {};
    }
}

} // namespace quentry
