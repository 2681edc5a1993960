#include "reportfigures.h"

#include <algorithm>
#include <map>
#include <string_view>

namespace quentry {
namespace {

template <int N> std::string_view textOf(const TShortString<N>& s) { return {s.chars.data(), std::size_t(s.size())}; }

template <class F> QString commonUnit(std::span<const THART_PAS_LOG_Row> rows, F unit)
{
    const THART_PAS_LOG_Row* first = nullptr;
    for (const THART_PAS_LOG_Row& r : rows) {
        if (!IsValueRow(r)) continue;
        if (!first) first = &r;
        else if (textOf(unit(r)) != textOf(unit(*first))) return {};
    }
    return first ? unit(*first).str() : QString();
}

constexpr qint64 kSecondsPerDay = 86400;

} // namespace

bool IsValueRow(const THART_PAS_LOG_Row& row)
{
    return row.event != kChecksumErrorEvent && IsLoggerStamp(row.datetime);
}

TReportFigures ComputeReportFigures(std::span<const THART_PAS_LOG_Row> rows)
{
    TReportFigures f;
    f.rows = int(rows.size());
    std::map<qint64, std::vector<const THART_PAS_LOG_Row*>> byDay; // day number since 1899-12-30
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
        byDay[StampSeconds(r.datetime) / kSecondsPerDay].push_back(&r);
    }

    const std::vector<TRowStamp> stamps = RowStamps(rows);
    f.spacingSeconds = UsualSpacingSeconds(stamps);
    f.coverage = ComputeCoverage(stamps, f.spacingSeconds);
    f.gaps = FindRowGaps(stamps, f.spacingSeconds);
    for (const TRowGap& g : f.gaps) f.rowsMissing += g.missingRows;

    f.days.reserve(byDay.size());
    for (const auto& [day, dayRows] : byDay) f.days.push_back(ComputeDayFigures(QDate(1899, 12, 30).addDays(day), dayRows));
    f.months = ComputeMonthTotals(f.days);
    if (f.months.size() < 2) f.months.clear();

    f.events = CountEvents(rows);
    f.errorBits = CountErrorBits(rows);
    f.pvUnit = commonUnit(rows, [](const THART_PAS_LOG_Row& r) -> const auto& { return r.PVunitstr; });
    f.totUnit = commonUnit(rows, [](const THART_PAS_LOG_Row& r) -> const auto& { return r.TOTunitstr; });
    return f;
}

} // namespace quentry
