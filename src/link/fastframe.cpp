#include "fastframe.h"

#include "hartframe.h"
#include "wire/crc16.h"

namespace quentry {

QByteArray FastBuildRequest(quint8 cmd, const quint8* data, int count)
{
    QByteArray frame;
    frame.reserve(count + 5);
    frame.append(char(cmd));
    frame.append(char(quint8(count >> 8)));
    frame.append(char(quint8(count)));
    frame.append(reinterpret_cast<const char*>(data), count);
    const quint16 crc = CRC16(reinterpret_cast<const quint8*>(frame.constData()), 0, int(frame.size()));
    frame.append(char(quint8(crc >> 8)));
    frame.append(char(quint8(crc)));
    return frame;
}

TFrameError FastParseReply(const quint8* rx, int rxIndex, TTXRXInfo& r, int& lengthField)
{
    auto at = [rx, rxIndex](int i) -> quint8 { return i < rxIndex ? rx[i] : 0; };
    r.IsLongAddress = false;
    r.IsPrimary = false;
    r.bcnt = 0;
    r.cmd = at(0) & 0x7F;
    r.ApiError = at(3);
    lengthField = at(1) << 8 | at(2);
    if (CRC16(rx, 0, rxIndex) != 0) return FRERR_CHKSUM;
    // The smallest reply holds its header, a status byte and the CRC; anything shorter
    // would be read from bytes that never came.
    if (rxIndex < 6 || lengthField != rxIndex - 5) return FRERR_SIZE;
    return FRERR_OK;
}

int FastCompleteFrame(const quint8* rx, int count)
{
    if (count < 3) return 0;
    const int length = rx[1] << 8 | rx[2];
    if (length < 1) return 0; // not even a status byte: leave it to the parser
    const int end = length + 5;
    if (end > count || CRC16(rx, 0, end) != 0) return 0;
    return end;
}

QString FastAckDump(const quint8* bytes, int count)
{
    QString s;
    s.reserve(count * 3 + 6);
    for (int i = 0; i < count; ++i) {
        if (i == 0) s += QLatin1Char('[');
        else if (i == 3) s += QLatin1String("] [");
        else if (i == 4) s += QLatin1String("] ");
        else s += QLatin1Char(' ');
        AppendHexByte(s, bytes[i]);
    }
    return s;
}

} // namespace quentry
