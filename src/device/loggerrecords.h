#pragma once
// Decoded records of the logger operations: the logger status and what each logger
// operation sends and receives. The decoded row itself lives in pasrecords.h.
#include "pasrecords.h"
#include "wire/datetime.h"

#include <QString>
#include <QtGlobal>
#include <array>

namespace quentry {

struct THART_PAS_LOG_Status
{
    quint8 status = 0;     // the raw status byte
    bool BOF = false;      // bit 6
    bool TOF = false;      // bit 7: the reader stops here
    quint8 errorcode = 0;  // status and 0x3F
    QString errorstr;      // "OK", "BUSY", "READERROR", "CLOSED", "UNKOWN"
    QString boftofstr;     // "", "BOF", "TOF", "?"
    quint16 total = 0;     // rows in the logger
    quint16 pos = 0;       // current read position
};

struct THART_PAS_LOG_OpenClose
{
    quint8 mode = 0; // 1 opens the logger for reading, 0 closes it
    THART_PAS_ERRSTAT es;
    THART_PAS_LOG_Status lstat;
};

// Also the record of Log_Clr.
struct THART_PAS_LOG_RdStatus
{
    THART_PAS_ERRSTAT es;
    THART_PAS_LOG_Status lstat;
};

struct THART_PAS_LOG_Seek
{
    quint8 Whence = 0;
    qint16 Offset = 0;
    THART_PAS_ERRSTAT es;
    THART_PAS_LOG_Status lstat;
};

struct THART_PAS_LOG_RdRecord
{
    quint8 mode = 0; // 1 reads the next row, 0 the current row again
    THART_PAS_LOG_Status lstat;
    THART_PAS_LOG_Row row;
};

// Logger layout data.
struct THART_PAS_LOG_RdLFData
{
    THART_PAS_ERRSTAT es;
    quint8 sor = 0;          // rows written on the current page
    quint16 index = 0;
    quint16 page = 0;        // the page being written
    TDateTime elsoiras = 0;  // first write
    TDateTime utolsoiras = 0; // last write
    quint8 status = 0;       // bit 4: the page ring has wrapped
    quint8 error = 0;
    quint8 x = 0;
    quint8 y = 0;
    quint8 ksz = 0;
    quint16 totalpagecount = 0;
    quint8 rowperpage = 0;
};

constexpr int kRowsPerPage = 6;

struct TFAST_PAS_LOG_RdPage
{
    quint16 pageindex = 0;  // the page to read
    THART_PAS_ERRSTAT es;   // not filled
    std::array<THART_PAS_LOG_Row, kRowsPerPage> rows;
};

} // namespace quentry
