#pragma once
// Decoded records shared by every layer above the link: the decoded status block and the
// decoded logger row. Field order and text capacities are fixed, because a log image file
// stores the row field by field in exactly this order.
#include "shortstring.h"
#include "wire/datetime.h"

#include <QtGlobal>

namespace quentry {

struct THART_PAS_ERRSTAT
{
    quint16 error = 0;  // bits 0-7 errors, 8-12 warnings
    quint16 status = 0;
    TShortString<50> Errorstr;
    TShortString<50> Warningstr;
    quint8 PVmode = 0;  // carried, not filled by the decoding
    TShortString<20> PVmodestr;
    quint8 MenuState = 0; // carried, not filled by the decoding
    TShortString<50> MenuStateStr;
    bool SimulationActive = false;
    bool UPSWPresent = false;
    bool Relay = false;
    bool ULockActive = false;
    bool FLocked = false;
    bool DiagBurstActive = false;
    bool LoggerOpened = false;
    bool CalibrationActive = false;
    bool PVValid = false;
    quint8 fill = 0; // the stored block's unused last byte, kept so a file reads back byte for byte

    bool operator==(const THART_PAS_ERRSTAT&) const = default;
};

struct THART_PAS_LOG_Row
{
    TDateTime datetime = 0.0;
    quint16 index = 0;
    quint8 event = 0;
    TShortString<100> eventstr;
    double PV = 0.0;
    double DIST = 0.0;
    double LEV = 0.0;
    TShortString<20> DISTLEVunitstr;
    TShortString<20> PVunitstr;
    double TOT1 = 0.0;
    double TOT2 = 0.0;
    TShortString<20> TOTunitstr;
    double temperature = 0.0;
    TShortString<20> temperatureunitstr;
    double current = 0.0;
    THART_PAS_ERRSTAT es;
    qint32 peakinfo_amp = 0;
    quint8 peakinfo_index = 0;
    quint8 peakinfo_total = 0;
    quint8 SNratio = 0;
    quint8 pchk = 0;
    quint8 debug1_gain = 0;
    quint8 debug1_phase = 0;
    quint8 debug1_sensorindex = 0;
    quint8 debug2 = 0;
    quint8 chk = 0;

    bool operator==(const THART_PAS_LOG_Row&) const = default;
};

// Event code of a page row that failed its checksum.
constexpr quint8 kChecksumErrorEvent = 255;

} // namespace quentry
