#include "dailyfigures.h"

#include "rowdecode.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>

namespace quentry {
namespace {

constexpr quint8 kEventClr = 1;
constexpr quint8 kEventTot1Clr = 12;

template <int N> std::string_view textOf(const TShortString<N>& s) { return {s.chars.data(), std::size_t(s.size())}; }

// The text every row has in that field; empty when they differ. Compared as stored, so a
// day's rows cost no QString each.
template <class F> QString commonText(std::span<const THART_PAS_LOG_Row* const> rows, F field)
{
    const auto first = textOf(field(*rows.front()));
    for (const THART_PAS_LOG_Row* r : rows)
        if (textOf(field(*r)) != first) return {};
    return field(*rows.front()).str();
}

QString eventName(quint8 code) { return QString::fromLatin1(EventText(code).data(), qsizetype(EventText(code).size())); }

} // namespace

bool IsTotaliserResetEvent(quint8 event) { return event == kEventClr || event == kEventTot1Clr; }

TDayFigures ComputeDayFigures(const QDate& date, std::span<const THART_PAS_LOG_Row* const> rows)
{
    TDayFigures f;
    f.date = date;
    f.rows = int(rows.size());
    if (rows.empty()) return f;

    double sum = 0;
    f.pvMin = f.pvMax = rows.front()->PV;
    for (const THART_PAS_LOG_Row* r : rows) {
        f.pvMin = std::min(f.pvMin, r->PV);
        f.pvMax = std::max(f.pvMax, r->PV);
        sum += r->PV;
    }
    f.pvMean = sum / double(rows.size());
    f.pvUnit = commonText(rows, [](const THART_PAS_LOG_Row& r) -> const auto& { return r.PVunitstr; });
    f.totUnit = commonText(rows, [](const THART_PAS_LOG_Row& r) -> const auto& { return r.TOTunitstr; });
    f.tot1First = rows.front()->TOT1;
    f.tot1Last = rows.back()->TOT1;
    const bool unitChanged = std::any_of(rows.begin(), rows.end(), [&](const THART_PAS_LOG_Row* r) {
        return textOf(r->TOTunitstr) != textOf(rows.front()->TOTunitstr);
    });
    if (unitChanged) {
        f.volumeState = TDayVolume::UnitChanged;
        return f;
    }

    // Split points: the first row of each stretch after a reset, with the row whose event
    // explains it. A fall is explained by a reset event at the row after the fall or at the
    // one before (the event row may carry the total from just before the reset).
    std::map<std::size_t, std::size_t> splits; // split row -> event row
    std::set<std::size_t> explaining;
    const std::size_t n = rows.size();
    for (std::size_t i = 1; i < n; ++i) {
        if (rows[i]->TOT1 >= rows[i - 1]->TOT1) continue;
        const std::size_t event = IsTotaliserResetEvent(rows[i]->event)       ? i
                                  : IsTotaliserResetEvent(rows[i - 1]->event) ? i - 1
                                                                              : n;
        if (event < n) {
            splits[i] = event;
            explaining.insert(event);
        } else if (f.volumeState == TDayVolume::Summed) {
            f.volumeState = TDayVolume::Fell;
            f.fellAt = rows[i]->datetime;
            f.fellFrom = rows[i - 1]->TOT1;
            f.fellTo = rows[i]->TOT1;
        }
    }
    // A reset event without a fall beside it still starts a new stretch at its row. At the
    // day's first row it changes nothing within the day.
    for (std::size_t i = 1; i < n; ++i)
        if (IsTotaliserResetEvent(rows[i]->event) && !explaining.count(i)) splits.emplace(i, i);
    for (const auto& [at, event] : splits) f.resets.push_back({rows[at]->datetime, eventName(rows[event]->event)});
    if (f.volumeState != TDayVolume::Summed) return f;

    std::size_t start = 0;
    auto addPart = [&](std::size_t end) { f.parts.push_back(rows[end - 1]->TOT1 - rows[start]->TOT1); };
    for (const auto& split : splits) {
        addPart(split.first);
        start = split.first;
    }
    addPart(n);
    for (double p : f.parts) f.volume += p;
    if (f.parts.size() < 2) f.parts.clear();
    return f;
}

std::vector<TMonthFigures> ComputeMonthTotals(std::span<const TDayFigures> days)
{
    std::vector<TMonthFigures> months;
    for (const TDayFigures& d : days) {
        if (months.empty() || months.back().year != d.date.year() || months.back().month != d.date.month())
            months.push_back({d.date.year(), d.date.month()});
        TMonthFigures& m = months.back();
        ++m.days;
        m.resets += int(d.resets.size());
        if (d.volumeState != TDayVolume::Summed) continue;
        ++m.daysSummed;
        m.volume += d.volume;
    }
    return months;
}

} // namespace quentry
