#pragma once
// One record of the log table: the fields of a decoded row as the table keeps them,
// floats rounded and texts cut to their field sizes. The row's chk byte is not kept.
#include "logfields.h"
#include "pasrecords.h"

#include <QString>
#include <QVariant>

namespace quentry {

struct TLogRecord
{
    TDateTime recdatetim = 0.0;
    quint16 recindex = 0;
    QString eventstr;
    quint16 event = 0;
    double PV = 0, DIST = 0, LEV = 0;
    QString DISTLEVuni, PVunit;
    double TOT1 = 0, TOT2 = 0;
    QString TOTunit;
    double temp = 0;
    QString tempunit;
    double current = 0;
    quint16 error = 0, status = 0;
    QString Errorstr, Warningstr, PVmodestr, MenuStaStr;
    bool SimuActive = false, UPSWPres = false, Relay = false, ULockAct = false, FLocked = false,
         DBurstAct = false, LogOpened = false, CalibAct = false, PVValid = false;
    qint32 pinfo_amp = 0;
    quint16 pinfo_ind = 0, pinfo_tot = 0, SNratio = 0, pchk = 0, db_gain = 0, db_phase = 0, db_sensind = 0,
            dbug2 = 0;

    // The value of field `column` (TLogColumn): the date-time as a QDateTime (invalid for a
    // stamp no calendar holds), words and integers as int, floats as double, Booleans as
    // bool, texts as QString.
    QVariant Value(int column) const;

    bool operator==(const TLogRecord&) const = default;
};

TLogRecord LogRecordFromRow(const THART_PAS_LOG_Row& row);

} // namespace quentry
