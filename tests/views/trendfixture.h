#pragma once
// Small log tables for the trend window's tests.
#include "logtablemodel.h"
#include "wire/datetime.h"

#include <vector>

namespace quentry::test {

struct TRowSpec
{
    int minute = 0;      // minutes after 2015-03-07 14:00
    quint16 event = 7;   // SCHEDULED
    quint16 error = 0;
    double pv = 1.0;
};

inline TLogRecord TrendRecord(const TRowSpec& s, quint16 index)
{
    TLogRecord r;
    r.recdatetim = *TryEncodeDateTime(2015, 3, 7, 14, 0) + s.minute / 1440.0;
    r.recindex = index;
    r.event = s.event;
    r.eventstr = QStringLiteral("EV%1").arg(s.event);
    r.error = s.error;
    r.PV = s.pv;
    r.LEV = s.pv / 5;
    r.DIST = 6 - s.pv / 5;
    r.current = 4 + s.pv;
    r.temp = 20 + s.pv;
    r.PVunit = QStringLiteral("m");
    return r;
}

// Rows with record indices firstIndex, firstIndex + 1, ... (16-bit, so they may wrap).
inline void FillTable(TLogTableModel& model, const std::vector<TRowSpec>& rows, int firstIndex = 100)
{
    std::vector<TLogRecord> records;
    for (std::size_t i = 0; i < rows.size(); ++i) records.push_back(TrendRecord(rows[i], quint16(firstIndex + int(i))));
    model.SetRecords(std::move(records));
}

// n rows five minutes apart, PV rising by 0.01, every tenth row a lost echo.
inline std::vector<TRowSpec> RisingRows(int n)
{
    std::vector<TRowSpec> rows;
    for (int i = 0; i < n; ++i) rows.push_back({5 * i, 7, quint16(i % 10 == 3 ? 0x0001 : 0), 0.5 + 0.01 * i});
    return rows;
}

} // namespace quentry::test
