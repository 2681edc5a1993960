#pragma once
// The lines the window and the command-line tool show about the site history: what the
// record of a transmitter holds, the clock check, and how a read joined the record.
#include "historytypes.h"

#include <QString>
#include <vector>

namespace quentry {

// A count as the lines show it: up to 9999 plain, from 10 000 on in groups of three.
QString GroupedNumber(qint64 n);

// "Site history: 14 visits since 2026-03-02, 24 576 rows, 1 gap (121 rows overwritten
// before they were read)"; without a record: "Site history: nothing yet for this transmitter".
QString HistoryMemoLine(const TTransmitterSummary* summary);

// "Clock: 92.0 s ahead of this PC (drift +1.3 s/day)"; a clock read to the minute:
// "Clock: about 90 s ahead of this PC (read to the minute)", or "Clock: within a minute of
// this PC (read to the minute)".
QString ClockLine(const TClockReading& reading, std::optional<double> driftSecondsPerDay);
// True when the clock is off by more than boundSeconds, however its reading is rounded.
bool ClockBeyond(const TClockReading& reading, int boundSeconds);
// "Warning: the transmitter's clock is 92.0 s ahead of this PC, more than 60 s: set it <how>."
QString ClockWarningLine(const TClockReading& reading, int boundSeconds, const QString& how);

// How a read or an import joined the record.
struct TJoinSummary
{
    int added = 0;
    std::optional<int> joinedIndex;
    std::vector<TGapRecord> gaps; // the holes the visit found
    int missing = 0;              // rows of those holes the record still lacks
    int beside = 0;               // rows kept beside held rows with the same stamp and index
    QString note;                 // how the read went, when not as planned
};
// "Result: 2016 new record(s), joined at index 10 433; nothing missing."
QString JoinResultLine(const TJoinSummary& s);
// "121 row(s) overwritten before they were read (index 10 434 - 10 554)"
QString GapText(const TGapRecord& g);

} // namespace quentry
