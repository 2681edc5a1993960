#pragma once
// Logger rows for history tests, made from an index, a minute and a content variant.
#include "pasrecords.h"
#include "wire/datetime.h"

#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace quentry::test {

// Minute 0 is 2020-01-01 00:00.
inline THART_PAS_LOG_Row HistoryRow(int index, int minute, int variant = 0, quint8 event = 7)
{
    THART_PAS_LOG_Row r;
    r.datetime = *TryEncodeDateTime(2020, 1, 1) + minute / 1440.0;
    r.index = quint16(index);
    r.event = event;
    r.eventstr = event == 1 ? "CLR" : "SCHEDULED";
    r.PV = 10.0 + variant;
    r.LEV = 0.25;
    r.PVunitstr = "l/s";
    return r;
}

} // namespace quentry::test
