#include "hartframe.h"

namespace quentry {
namespace {

// Bytes from the delimiter to the checksum when the frame carries no data.
constexpr int kShortHeaderAndChecksum = 1 + 1 + 1 + 1 + 2 + 1;
constexpr int kLongHeaderAndChecksum = 1 + 5 + 1 + 1 + 2 + 1;

QString responseCodeText(int code, bool& refused)
{
    refused = false;
    switch (code) {
    case 0: return QStringLiteral("OK.");
    case 2: refused = true; return QStringLiteral("Invalid selection.");
    case 3: refused = true; return QStringLiteral("Passed parameter too large.");
    case 4: refused = true; return QStringLiteral("Passed parameter too small.");
    case 5: return QStringLiteral("Too few data bytes received.");
    case 6: return QStringLiteral("Device-specific command error.");
    case 7: refused = true; return QStringLiteral("In write-protect mode.");
    case 16: refused = true; return QStringLiteral("Access restricted.");
    case 32: refused = true; return QStringLiteral("Device is busy.");
    case 64: refused = true; return QStringLiteral("Command not implemented.");
    default: return QString();
    }
}

} // namespace

QByteArray HartBuildRequest(const TTXRXInfo& d, const quint8* data, int count)
{
    QByteArray frame;
    frame.reserve(d.Preemables + 9 + count);
    frame.fill(char(0xFF), d.Preemables);
    const quint8 master = d.IsPrimary ? 0x80 : 0x00;
    const int checksumFrom = frame.size();
    if (d.IsLongAddress) {
        frame.append(char(0x82));
        frame.append(char((d.FactoryID & 0x3F) | master));
        frame.append(char(d.DeviceTypeID));
        frame.append(char(d.DeviceID_HI));
        frame.append(char(d.DeviceID_MID));
        frame.append(char(d.DeviceID_LO));
    } else {
        frame.append(char(0x02));
        frame.append(char((d.Saddress & 0x3F) | master));
    }
    frame.append(char(d.cmd));
    frame.append(char(quint8(count)));
    frame.append(reinterpret_cast<const char*>(data), count);
    quint8 x = 0;
    for (int i = checksumFrom; i < frame.size(); ++i) x ^= quint8(frame[i]);
    frame.append(char(x));
    return frame;
}

TFrameError HartParseReply(const quint8* rx, int rxIndex, TTXRXInfo& r, int& rxOffset)
{
    r.IsLongAddress = false;
    r.IsPrimary = false;
    r.bcnt = 0;
    r.cmd = 255;

    // At least two 0xFF, then the delimiter: the first byte after them that is not 0xFF.
    int delimiter = -1;
    for (int i = 1; i <= rxIndex - 3; ++i) {
        if (rx[i - 1] == 0xFF && rx[i] == 0xFF && rx[i + 1] != 0xFF) {
            delimiter = i + 1;
            break;
        }
    }
    if (rxIndex < 4 || delimiter < 0) return FRERR_INVALIDFRAME;
    rxOffset = delimiter;

    quint8 x = 0;
    for (int i = delimiter; i < rxIndex; ++i) x ^= rx[i];
    if (x != 0) return FRERR_CHKSUM;

    const bool isLong = rx[delimiter] & 0x80;
    // A frame too short for its own header would be read from bytes that never came.
    if (rxIndex - delimiter < (isLong ? kLongHeaderAndChecksum : kShortHeaderAndChecksum))
        return FRERR_INVALIDFRAME;

    r.start = rx[delimiter];
    r.IsLongAddress = isLong;
    r.IsPrimary = rx[delimiter + 1] & 0x80;
    if (isLong) {
        r.cmd = rx[delimiter + 6];
        r.bcnt = rx[delimiter + 7];
        const quint8* a = rx + delimiter + 1;
        if ((a[0] & 0x3F) != (r.FactoryID & 0x3F) || a[1] != r.DeviceTypeID || a[2] != r.DeviceID_HI ||
            a[3] != r.DeviceID_MID || a[4] != r.DeviceID_LO)
            return FRERR_LADDR;
        rxOffset += 8;
    } else {
        r.cmd = rx[delimiter + 2];
        r.bcnt = rx[delimiter + 3];
        if ((rx[delimiter + 1] & 0x0F) != r.Saddress) return FRERR_SADDR;
        rxOffset += 4;
    }
    r.ApiError = quint16(rx[rxOffset] << 8 | rx[rxOffset + 1]);
    return FRERR_OK;
}

int HartCompleteFrame(const quint8* rx, int count)
{
    // The same delimiter search as the parser: at least two 0xFF, then the first other byte.
    int delimiter = -1;
    for (int i = 1; i <= count - 2; ++i) {
        if (rx[i - 1] == 0xFF && rx[i] == 0xFF && rx[i + 1] != 0xFF) {
            delimiter = i + 1;
            break;
        }
    }
    if (delimiter < 0) return 0;
    const int addressBytes = (rx[delimiter] & 0x80) ? 5 : 1;
    const int byteCountAt = delimiter + addressBytes + 2;
    if (byteCountAt >= count) return 0;
    const int byteCount = rx[byteCountAt];
    if (byteCount < 2) return 0; // no room for response code and status: leave it to the parser
    const int end = byteCountAt + 1 + byteCount + 1;
    if (end > count) return 0;
    quint8 x = 0;
    for (int i = delimiter; i < end; ++i) x ^= rx[i];
    return x == 0 ? end : 0;
}

bool HartDecodeResponse(quint16 apiError, THART_RESPONSE_STR& texts)
{
    const quint8 response = quint8(apiError >> 8);
    const quint8 status = quint8(apiError);
    if (response & 0x80) {
        QString s = QStringLiteral("Com. Errors:");
        if (response & 0x02) s += QStringLiteral("[OV] ");
        if (response & 0x08) s += QStringLiteral("[CHK ERR] ");
        if (response & 0x10) s += QStringLiteral("[FE] ");
        if (response & 0x20) s += QStringLiteral("[OVRUN] ");
        if (response & 0x40) s += QStringLiteral("[PE] ");
        texts.FirstByte = s;
        texts.SecondByte.clear();
        return false;
    }
    bool refused = false;
    texts.FirstByte = QStringLiteral("Response Code: ") + responseCodeText(response & 0x7F, refused).toUpper();
    static const char* const kStatusLabels[8] = {"[MALF] ",    "[CFGCHG] ",  "[COLDSTR] ", "[MORESTAT] ",
                                                 "[OUT_FIX] ", "[OUT_SAT] ", "[NONPV_OL] ", "[PV_OL] "};
    QString s = QStringLiteral("Field Device Status: ");
    for (int bit = 0; bit < 8; ++bit)
        if (status & (0x80 >> bit)) s += QLatin1String(kStatusLabels[bit]);
    texts.SecondByte = s;
    return refused;
}

void AppendHexByte(QString& text, quint8 byte)
{
    static const char kDigits[] = "0123456789ABCDEF";
    text += QLatin1Char(kDigits[byte >> 4]);
    text += QLatin1Char(kDigits[byte & 15]);
}

QString HexDump(const quint8* bytes, int count)
{
    QString s;
    s.reserve(count * 3);
    for (int i = 0; i < count; ++i) {
        AppendHexByte(s, bytes[i]);
        s += QLatin1Char(' ');
    }
    return s;
}

} // namespace quentry
