#pragma once
// Where a run of logger rows is not whole: the usual spacing of their time stamps, and the
// places where indices skip, do not follow, or time jumps while the indices go on. Shared
// by the service report (the gaps it lists) and the trend (the breaks in its lines).
#include "pasrecords.h"

#include <span>
#include <vector>

namespace quentry {

class TLogTableModel;

// What the gap rules need of one row.
struct TRowStamp
{
    quint16 index = 0;
    TDateTime time = 0.0;
    bool readable = true; // false: a page row that failed its check (event 255)
};

std::vector<TRowStamp> RowStamps(std::span<const THART_PAS_LOG_Row> rows);
std::vector<TRowStamp> RowStamps(const TLogTableModel& model);

// A time stamp the logger can have written: from January 2001 (before 2100). Out-of-range
// stamps decode to 1900-01-01 or 1999-01-01 and say nothing about when the row was written.
bool IsLoggerStamp(TDateTime time);
// Whole seconds since the epoch of TDateTime.
qint64 StampSeconds(TDateTime time);

// The most common positive step between consecutive dated readable rows, in seconds (the
// shorter one on a tie); 0 when no two such rows differ in time.
qint64 UsualSpacingSeconds(std::span<const TRowStamp> rows);

enum class TGapKind : quint8 {
    IndexSkip,     // indices jump forward: rows that are not in the run
    IndexDisorder, // the index repeats or goes back (logger cleared, files joined)
    NoRowsLogged,  // indices follow but at least one whole interval has no row
};

struct TRowGap
{
    TGapKind kind = TGapKind::IndexSkip;
    int afterRow = 0;       // the gap lies between row afterRow and the next readable row
    int beforeRow = 0;      // that next readable row
    quint16 lastIndex = 0;  // indices of those two rows
    quint16 nextIndex = 0;
    TDateTime lastTime = 0.0, nextTime = 0.0;
    int missingRows = 0;    // IndexSkip: indices not present
    int unreadableRows = 0; // rows between the two that failed their check
    qint64 emptyIntervals = 0; // NoRowsLogged: whole intervals without a row
};

// Indices are 16-bit and wrap: 65535 is followed by 0. A step forward of more than half
// the index range is read as the index going back. spacingSeconds 0: no time jumps are
// looked for.
std::vector<TRowGap> FindRowGaps(std::span<const TRowStamp> rows, qint64 spacingSeconds);

} // namespace quentry
