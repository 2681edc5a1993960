#pragma once
// Date-times as the transmitter's tools store them: a double counting days since
// 1899-12-30, the fraction being the time of day. Local, naive (no time zone).
#include <QDateTime>
#include <optional>

namespace quentry {

using TDateTime = double;

struct TDateTimeParts
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
};

// Empty when the parts name no real date or time.
std::optional<TDateTime> TryEncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                                           int second = 0, int msec = 0);
// Empty when the value lies outside the years 1..9999 or is not a number.
std::optional<TDateTimeParts> TryDecodeDateTime(TDateTime value);

TDateTime EncodeDateTimeOr(const TDateTimeParts& parts, TDateTime fallback);

QDateTime toQDateTime(TDateTime value);   // invalid QDateTime for undecodable values
TDateTime fromQDateTime(const QDateTime& dt);
TDateTime nowDateTime();

// Milliseconds since the epoch of the type (days x 86 400 000 + milliseconds of the day).
qint64 toEpochMilliseconds(TDateTime value);

} // namespace quentry
