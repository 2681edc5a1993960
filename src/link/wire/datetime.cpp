#include "datetime.h"

#include <cmath>

namespace quentry {
namespace {
constexpr qint64 kJulianDayOfEpoch = 2415019; // 1899-12-30
constexpr qint64 kMsPerDay = 86400000;
} // namespace

std::optional<TDateTime> TryEncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                                           int msec)
{
    if (year < 1 || year > 9999) return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid()) return std::nullopt;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
        msec > 999)
        return std::nullopt;
    const double days = double(date.toJulianDay() - kJulianDayOfEpoch);
    const double fraction = double(((hour * 60 + minute) * 60 + second) * 1000 + msec) / double(kMsPerDay);
    // Before the epoch the fraction still counts forward from midnight.
    return days >= 0 ? days + fraction : days - fraction;
}

std::optional<TDateTimeParts> TryDecodeDateTime(TDateTime value)
{
    if (!std::isfinite(value)) return std::nullopt;
    if (value < -693593.0 || value > 2958466.0) return std::nullopt; // 0001-01-01 .. 9999-12-31
    const double whole = std::trunc(value);
    qint64 ms = qint64(std::llround(std::fabs(value - whole) * double(kMsPerDay)));
    qint64 days = qint64(whole);
    if (ms >= kMsPerDay) { // rounding reached the next midnight
        ms -= kMsPerDay;
        days += value >= 0 ? 1 : -1;
    }
    const QDate date = QDate::fromJulianDay(days + kJulianDayOfEpoch);
    if (!date.isValid() || date.year() < 1 || date.year() > 9999) return std::nullopt;
    TDateTimeParts p;
    p.year = date.year();
    p.month = date.month();
    p.day = date.day();
    p.hour = int(ms / 3600000);
    p.minute = int(ms / 60000 % 60);
    p.second = int(ms / 1000 % 60);
    p.msec = int(ms % 1000);
    return p;
}

TDateTime EncodeDateTimeOr(const TDateTimeParts& p, TDateTime fallback)
{
    return TryEncodeDateTime(p.year, p.month, p.day, p.hour, p.minute, p.second, p.msec).value_or(fallback);
}

QDateTime toQDateTime(TDateTime value)
{
    const auto p = TryDecodeDateTime(value);
    if (!p) return {};
    return QDateTime(QDate(p->year, p->month, p->day), QTime(p->hour, p->minute, p->second, p->msec));
}

TDateTime fromQDateTime(const QDateTime& dt)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    return TryEncodeDateTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec())
        .value_or(0.0);
}

TDateTime nowDateTime() { return fromQDateTime(QDateTime::currentDateTime()); }

qint64 toEpochMilliseconds(TDateTime value)
{
    const double whole = std::trunc(value);
    return qint64(whole) * kMsPerDay + qint64(std::llround(std::fabs(value - whole) * double(kMsPerDay)));
}

} // namespace quentry
