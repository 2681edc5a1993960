#pragma once
// CRC-16/MODBUS: the one checksum of FAST frames, adapter mode commands and log image rows.
#include <QtGlobal>
#include <cstddef>

namespace quentry {

// Checksum of buffer[start .. count-1]; `count` is the end index, not a length.
// An empty range (count - 1 < start) gives 0xFFFF.
quint16 CRC16(const quint8* buffer, int start, int count);

// Convenience for a whole range of `length` bytes.
inline quint16 crc16Of(const void* data, std::size_t length)
{
    return CRC16(static_cast<const quint8*>(data), 0, static_cast<int>(length));
}

} // namespace quentry
