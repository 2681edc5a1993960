#include "coverage.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace quentry {
namespace {

constexpr qint64 kSecondsPerDay = 86400;

qint64 floorDiv(qint64 a, qint64 b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }
qint64 ceilDiv(qint64 a, qint64 b) { return -floorDiv(-a, b); }

// Day numbers count from the epoch of TDateTime, 1899-12-30.
QDate dateOfDay(qint64 day) { return QDate(1899, 12, 30).addDays(day); }

} // namespace

TCoverageFigures ComputeCoverage(std::span<const TRowStamp> rows, qint64 spacingSeconds)
{
    TCoverageFigures f;
    if (spacingSeconds <= 0) return f;
    std::vector<qint64> seconds;
    for (const TRowStamp& r : rows)
        if (r.readable && IsLoggerStamp(r.time)) seconds.push_back(StampSeconds(r.time));
    if (seconds.empty()) return f;
    const auto [lo, hi] = std::minmax_element(seconds.begin(), seconds.end());
    const qint64 t0 = *lo, last = *hi;
    const double s = double(spacingSeconds);
    std::vector<qint64> filled;
    filled.reserve(seconds.size());
    for (qint64 t : seconds) filled.push_back(std::llround(double(t - t0) / s));
    std::sort(filled.begin(), filled.end());
    filled.erase(std::unique(filled.begin(), filled.end()), filled.end());
    const qint64 count = std::llround(double(last - t0) / s) + 1;
    f.overall = {qint64(filled.size()), count};

    // Slot k lies at t0 + k * spacing; each day gets the filled that lie on it.
    auto occupied = filled.begin();
    for (qint64 day = floorDiv(t0, kSecondsPerDay); day <= floorDiv(last, kSecondsPerDay); ++day) {
        const qint64 from = std::max<qint64>(0, ceilDiv(day * kSecondsPerDay - t0, spacingSeconds));
        const qint64 to = std::min(count, ceilDiv((day + 1) * kSecondsPerDay - t0, spacingSeconds));
        TCoverage c;
        c.expected = std::max<qint64>(0, to - from);
        while (occupied != filled.end() && *occupied < to) {
            if (*occupied >= from) ++c.present;
            ++occupied;
        }
        if (c.expected > 0) f.byDay[dateOfDay(day)] = c;
    }
    return f;
}

QString CoveragePercentText(const TCoverage& c)
{
    if (c.expected <= 0) return QStringLiteral("-");
    if (c.complete()) return QStringLiteral("100 %");
    const double tenths = std::floor(double(c.present) * 1000.0 / double(c.expected));
    return QStringLiteral("%1 %").arg(tenths / 10.0, 0, 'f', 1);
}

} // namespace quentry
