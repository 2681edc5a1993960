#pragma once
// The conversions every device operation applies between decoded fields and raw wire
// fields, named once so the operations read as what they send and receive.
#include "rawrecords.h"
#include "wire/datetime.h"
#include "wire/wireconv.h"

#include <QString>

namespace quentry::wirefield {

inline float single(const quint8* wire) { return SwapSingle(wire); }
inline void putSingle(quint8* wire, float value) { SingleToWire(value, wire); }
inline quint16 word(const quint8* wire) { return readBE16(wire); }
inline void putWord(quint8* wire, quint16 value) { writeBE16(wire, value); }
// Passwords go out as four BCD digits; one above 9999 goes out as 0000.
inline void putPassword(quint8* wire, quint16 password) { writeBE16(wire, WordToBCD(password)); }

// Trailing blanks of a text that came packed (packed texts are padded with blanks).
inline QString withoutTrailingBlanks(const QString& s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' ')) --n;
    return s.left(n);
}

// What a date the transmitter sends but no calendar has (31 April) decodes to: the same
// fallback the clock and the logger time stamps use.
inline TDateTime dateOrFallback(int year, int month, int day, int hour = 0, int minute = 0)
{
    return TryEncodeDateTime(year, month, day, hour, minute).value_or(*TryEncodeDateTime(1999, 1, 1));
}

} // namespace quentry::wirefield
