#pragma once
// The logger's 3-byte time stamp: byte 0 = (year - 2000) * 12 + month - 1, bytes 1-2 one
// big-endian word = day * 1440 + hour * 60 + minute. It spans January 2001 to April 2021.
#include "datetime.h"

#include <QtGlobal>
#include <array>
#include <optional>

namespace quentry {

// 1900-01-01 for stamps outside the range (year 2000, day 0 or above 31),
// 1999-01-01 for stamps in range that name no real date (31 April).
TDateTime Date3ToDateTime(const quint8* b);

// The stamp of a moment; empty outside January 2001 .. April 2021.
std::optional<std::array<quint8, 3>> DateTimeToDate3(int year, int month, int day, int hour, int minute);

} // namespace quentry
