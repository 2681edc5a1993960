#include "crc16.h"

namespace quentry {

quint16 CRC16(const quint8* buffer, int start, int count)
{
    quint16 crc = 0xFFFF;
    for (int i = start; i < count; ++i) {
        crc ^= buffer[i];
        for (int bit = 0; bit < 8; ++bit) {
            const bool carry = crc & 1u;
            crc >>= 1;
            if (carry) crc ^= 0xA001;
        }
    }
    return crc;
}

} // namespace quentry
