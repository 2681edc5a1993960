#include "testbytes.h"

namespace quentry::test {

QByteArray withCrc(const QByteArray& bytes)
{
    quint16 crc = 0xFFFF;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int i = 0; i < 8; ++i) crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    QByteArray out = bytes;
    return out.append(char(crc & 0xFF)).append(char(crc >> 8));
}

QByteArray fastReply(quint8 cmd, quint8 status, const QByteArray& data)
{
    const int m = int(data.size()) + 1;
    QByteArray f;
    f.append(char(cmd)).append(char(m >> 8)).append(char(m & 0xFF)).append(char(status)).append(data);
    return withCrc(f);
}

} // namespace quentry::test
