#pragma once
// Logger rows written out by hand, in both byte orders, with their check bytes worked out
// on paper: 2001-01-01 01:00, scheduled, PV 1.5 l/s, distance 1.0 m, level 0.5 m,
// totalisers 1000 and 10 m3, 25.0 degC, 7.20 mA, status 0x4005, peaks 3 / index 1 /
// amplitude 44, S/N 42, gain 3, phase 1, sensor 3, debug2 0x11; indexes 10, 11, 12.
#include <QByteArray>
#include <array>

namespace quentry::test {

inline QByteArray hexBytes(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

inline const char* const kRecordRows[3] = {
    "0C 05 DC 00 0A 07 3F C0 00 00 3F 80 00 00 3F 00 00 00 18 44 7A 00 00 41 20 00 00 2B 00 FA 02 D0 00 00 40 05 B0 23 2A 00 06 B0 11 C5",
    "0C 05 DC 00 0B 07 3F C0 00 00 3F 80 00 00 3F 00 00 00 18 44 7A 00 00 41 20 00 00 2B 00 FA 02 D0 00 00 40 05 B0 23 2A 00 06 B0 11 D2",
    "0C 05 DC 00 0C 07 3F C0 00 00 3F 80 00 00 3F 00 00 00 18 44 7A 00 00 41 20 00 00 2B 00 FA 02 D0 00 00 40 05 B0 23 2A 00 06 B0 11 57",
};

inline const char* const kPageRows[3] = {
    "0C 05 DC 0A 00 07 00 00 C0 3F 00 00 80 3F 00 00 00 3F 18 00 00 7A 44 00 00 20 41 2B FA 00 D0 02 00 00 05 40 23 B0 2A 00 B0 06 11 57",
    "0C 05 DC 0B 00 07 00 00 C0 3F 00 00 80 3F 00 00 00 3F 18 00 00 7A 44 00 00 20 41 2B FA 00 D0 02 00 00 05 40 23 B0 2A 00 B0 06 11 B2",
    "0C 05 DC 0C 00 07 00 00 C0 3F 00 00 80 3F 00 00 00 3F 18 00 00 7A 44 00 00 20 41 2B FA 00 D0 02 00 00 05 40 23 B0 2A 00 B0 06 11 4D",
};

// The three rows as preset logger content (the transmitter makes their check bytes).
template <class Row> std::array<Row, 3> presetRows()
{
    std::array<Row, 3> rows{};
    for (int i = 0; i < 3; ++i) {
        const QByteArray b = hexBytes(kRecordRows[i]);
        for (int k = 0; k < 43; ++k) rows[size_t(i)][size_t(k)] = quint8(b[k]);
    }
    return rows;
}

} // namespace quentry::test
