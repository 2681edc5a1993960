#include "reportfigures.h"

#include "wire/datetime.h"

#include <algorithm>
#include <map>

namespace quentry {
namespace {

template <class F> QString commonUnit(std::span<const THART_PAS_LOG_Row> rows, F unit)
{
    const THART_PAS_LOG_Row* first = nullptr;
    for (const THART_PAS_LOG_Row& r : rows) {
        if (!IsValueRow(r)) continue;
        if (!first) first = &r;
        else if (unit(r) != unit(*first)) return {};
    }
    return first ? unit(*first) : QString();
}

} // namespace

bool IsValueRow(const THART_PAS_LOG_Row& row)
{
    return row.event != kChecksumErrorEvent && IsLoggerStamp(row.datetime);
}

TReportFigures ComputeReportFigures(std::span<const THART_PAS_LOG_Row> rows)
{
    TReportFigures f;
    f.rows = int(rows.size());
    std::map<QDate, std::vector<const THART_PAS_LOG_Row*>> byDate;
    bool any = false;
    for (const THART_PAS_LOG_Row& r : rows) {
        if (r.event == kChecksumErrorEvent) {
            ++f.unreadableRows;
            continue;
        }
        if (!IsLoggerStamp(r.datetime)) {
            ++f.undatedRows;
            continue;
        }
        ++f.valueRows;
        f.first = any ? std::min(f.first, r.datetime) : r.datetime;
        f.last = any ? std::max(f.last, r.datetime) : r.datetime;
        any = true;
        byDate[toQDateTime(r.datetime).date()].push_back(&r);
    }

    const std::vector<TRowStamp> stamps = RowStamps(rows);
    f.spacingSeconds = UsualSpacingSeconds(stamps);
    f.coverage = ComputeCoverage(stamps, f.spacingSeconds);
    f.gaps = FindRowGaps(stamps, f.spacingSeconds);
    for (const TRowGap& g : f.gaps) f.rowsMissing += g.missingRows;

    f.days.reserve(byDate.size());
    for (const auto& [date, dayRows] : byDate) f.days.push_back(ComputeDayFigures(date, dayRows));
    f.months = ComputeMonthTotals(f.days);
    if (f.months.size() < 2) f.months.clear();

    f.events = CountEvents(rows);
    f.errorBits = CountErrorBits(rows);
    f.pvUnit = commonUnit(rows, [](const THART_PAS_LOG_Row& r) { return r.PVunitstr.str(); });
    f.totUnit = commonUnit(rows, [](const THART_PAS_LOG_Row& r) { return r.TOTunitstr.str(); });
    return f;
}

} // namespace quentry
