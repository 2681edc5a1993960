#include "date3.h"

namespace quentry {

TDateTime Date3ToDateTime(const quint8* b)
{
    const int year = 2000 + b[0] / 12;
    const int month = b[0] % 12 + 1;
    const int w = b[1] << 8 | b[2];
    const int day = w / 1440;
    const int hour = (w % 1440) / 60;
    const int minute = w % 60;
    if (year <= 2000 || day < 1 || day > 31) return *TryEncodeDateTime(1900, 1, 1);
    return TryEncodeDateTime(year, month, day, hour, minute).value_or(*TryEncodeDateTime(1999, 1, 1));
}

std::optional<std::array<quint8, 3>> DateTimeToDate3(int year, int month, int day, int hour, int minute)
{
    const int b0 = (year - 2000) * 12 + month - 1;
    if (year <= 2000 || b0 > 255 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59)
        return std::nullopt;
    const int w = day * 1440 + hour * 60 + minute;
    return std::array<quint8, 3>{quint8(b0), quint8(w >> 8), quint8(w)};
}

} // namespace quentry
