#include "crc16.h"

#include <array>

namespace quentry {
namespace {

// The register after shifting one byte through bit by bit, for each byte value.
constexpr std::array<quint16, 256> makeTable()
{
    std::array<quint16, 256> t{};
    for (unsigned b = 0; b < 256; ++b) {
        quint16 crc = quint16(b);
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1u) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
        t[b] = crc;
    }
    return t;
}
constexpr std::array<quint16, 256> kTable = makeTable();

} // namespace

quint16 CRC16(const quint8* buffer, int start, int count)
{
    quint16 crc = 0xFFFF;
    for (int i = start; i < count; ++i) crc = quint16((crc >> 8) ^ kTable[(crc ^ buffer[i]) & 0xFF]);
    return crc;
}

} // namespace quentry
