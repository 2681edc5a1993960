#include "rowgaps.h"

#include "logtablemodel.h"
#include "wire/datetime.h"

#include <cmath>
#include <map>

namespace quentry {
namespace {

constexpr int kIndexRange = 0x10000;
constexpr int kLongestSkip = kIndexRange / 2;
// 2001-01-01 and 2100-01-01 in TDateTime. The stamp of a row read reaches April 2021 at
// most; rows made by other tools may go on, but not for centuries.
constexpr TDateTime kFirstLoggerDay = 36892.0;
constexpr TDateTime kPastLastLoggerDay = 73051.0;

bool dated(const TRowStamp& r) { return r.readable && IsLoggerStamp(r.time); }

} // namespace

std::vector<TRowStamp> RowStamps(std::span<const THART_PAS_LOG_Row> rows)
{
    std::vector<TRowStamp> stamps;
    stamps.reserve(rows.size());
    for (const THART_PAS_LOG_Row& r : rows) stamps.push_back({r.index, r.datetime, r.event != kChecksumErrorEvent});
    return stamps;
}

std::vector<TRowStamp> RowStamps(const TLogTableModel& model)
{
    std::vector<TRowStamp> stamps;
    stamps.reserve(std::size_t(model.RecordCount()));
    for (int i = 0; i < model.RecordCount(); ++i) {
        const TLogRecord& r = model.Record(i);
        stamps.push_back({r.recindex, r.recdatetim, r.event != kChecksumErrorEvent});
    }
    return stamps;
}

bool IsLoggerStamp(TDateTime time) { return std::isfinite(time) && time >= kFirstLoggerDay && time < kPastLastLoggerDay; }

qint64 StampSeconds(TDateTime time) { return toEpochMilliseconds(time) / 1000; }

qint64 UsualSpacingSeconds(std::span<const TRowStamp> rows)
{
    std::map<qint64, int> steps; // ordered, so a tie goes to the shorter step
    const TRowStamp* previous = nullptr;
    for (const TRowStamp& r : rows) {
        if (!dated(r)) continue;
        if (previous) {
            const qint64 step = StampSeconds(r.time) - StampSeconds(previous->time);
            if (step > 0) ++steps[step];
        }
        previous = &r;
    }
    qint64 best = 0;
    int bestCount = 0;
    for (const auto& [step, count] : steps)
        if (count > bestCount) {
            best = step;
            bestCount = count;
        }
    return best;
}

std::vector<TRowGap> FindRowGaps(std::span<const TRowStamp> rows, qint64 spacingSeconds)
{
    std::vector<TRowGap> gaps;
    int last = -1;
    int unreadable = 0;
    for (int i = 0; i < int(rows.size()); ++i) {
        const TRowStamp& r = rows[std::size_t(i)];
        if (!r.readable) {
            if (last >= 0) ++unreadable;
            continue;
        }
        if (last >= 0) {
            const TRowStamp& p = rows[std::size_t(last)];
            TRowGap g;
            g.afterRow = last;
            g.beforeRow = i;
            g.lastIndex = p.index;
            g.nextIndex = r.index;
            g.lastTime = p.time;
            g.nextTime = r.time;
            g.unreadableRows = unreadable;
            const int step = (int(r.index) - int(p.index) + kIndexRange) % kIndexRange;
            bool gap = true;
            if (step == 1) {
                gap = false;
                if (spacingSeconds > 0 && dated(p) && dated(r)) {
                    const qint64 dt = StampSeconds(r.time) - StampSeconds(p.time);
                    const qint64 intervals = std::llround(double(dt) / double(spacingSeconds));
                    if (intervals >= 2) {
                        g.kind = TGapKind::NoRowsLogged;
                        g.emptyIntervals = intervals - 1;
                        gap = true;
                    }
                }
            } else if (step >= 2 && step <= kLongestSkip) {
                g.kind = TGapKind::IndexSkip;
                g.missingRows = step - 1;
            } else {
                g.kind = TGapKind::IndexDisorder;
            }
            if (gap) gaps.push_back(g);
        }
        last = i;
        unreadable = 0;
    }
    return gaps;
}

} // namespace quentry
