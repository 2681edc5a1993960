#pragma once
// Logger rows for the service report's tests: a time, an index, an event, PV and TOT1 are
// what the figures use; the rest stays as a fresh row has it.
#include "pasrecords.h"
#include "rowdecode.h"
#include "wire/datetime.h"

#include <QDateTime>
#include <vector>

namespace quentry::test {

constexpr quint8 kScheduled = 7, kClr = 1, kTot1Clr = 12;

inline THART_PAS_LOG_Row ReportRow(const QDateTime& at, quint16 index, double pv, double tot1,
                                   quint8 event = kScheduled, quint16 error = 0)
{
    THART_PAS_LOG_Row r;
    r.datetime = fromQDateTime(at);
    r.index = index;
    r.event = event;
    r.eventstr = GetEventstrTable(event);
    r.PV = pv;
    r.PVunitstr = QStringLiteral("liter/s");
    r.TOT1 = tot1;
    r.TOTunitstr = QStringLiteral("cum");
    r.es.error = error;
    return r;
}

// Rows every five minutes from `from`, indices from `firstIndex`, TOT1 rising by 1 a row.
inline std::vector<THART_PAS_LOG_Row> EveryFiveMinutes(const QDateTime& from, int count, quint16 firstIndex,
                                                       double tot1 = 1000)
{
    std::vector<THART_PAS_LOG_Row> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back(ReportRow(from.addSecs(300 * i), quint16(firstIndex + i), 2.0 + (i % 12) * 0.25, tot1 + i));
    return rows;
}

} // namespace quentry::test
