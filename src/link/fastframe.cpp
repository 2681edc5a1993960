#include "fastframe.h"

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

QString FastAckDump(const quint8* bytes, int count)
{
    static const char kDigits[] = "0123456789ABCDEF";
    QString s;
    s.reserve(count * 3 + 6);
    for (int i = 0; i < count; ++i) {
        if (i == 0) s += QLatin1Char('[');
        else if (i == 3) s += QLatin1String("] [");
        else if (i == 4) s += QLatin1String("] ");
        else s += QLatin1Char(' ');
        s += QLatin1Char(kDigits[bytes[i] >> 4]);
        s += QLatin1Char(kDigits[bytes[i] & 15]);
    }
    return s;
}

} // namespace quentry
