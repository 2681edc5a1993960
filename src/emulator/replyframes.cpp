#include "replyframes.h"

#include "wire/crc16.h"

namespace quentry::emulator {
namespace {

constexpr quint8 kHartShortAck = 0x06;
constexpr quint8 kHartLongAck = 0x86;

void appendCrcLowFirst(QByteArray& frame)
{
    const quint16 crc = CRC16(reinterpret_cast<const quint8*>(frame.constData()), 0, int(frame.size()));
    frame.append(char(quint8(crc)));
    frame.append(char(quint8(crc >> 8)));
}

} // namespace

QByteArray HartReply(const TParsedRequest& r, int preambles, quint8 responseCode, quint8 deviceStatus,
                     const QByteArray& data)
{
    QByteArray f(preambles, char(0xFF));
    const int from = int(f.size());
    f.append(char(r.longAddress ? kHartLongAck : kHartShortAck));
    const int addressLength = r.longAddress ? 5 : 1;
    for (int i = 0; i < addressLength; ++i) f.append(char(r.address[size_t(i)]));
    f.append(char(r.cmd));
    f.append(char(quint8(data.size() + 2)));
    f.append(char(responseCode));
    f.append(char(deviceStatus));
    f.append(data);
    quint8 x = 0;
    for (int i = from; i < f.size(); ++i) x ^= quint8(f[i]);
    f.append(char(x));
    return f;
}

QByteArray FastReply(quint8 cmd, quint8 status, const QByteArray& data)
{
    QByteArray f;
    const int m = int(data.size()) + 1;
    f.append(char(cmd));
    f.append(char(quint8(m >> 8)));
    f.append(char(quint8(m)));
    f.append(char(status));
    f.append(data);
    appendCrcLowFirst(f);
    return f;
}

QByteArray AdapterAnswer(const std::array<quint8, 2>& command, quint8 result)
{
    QByteArray f;
    f.append(char(command[0]));
    f.append(char(command[1]));
    f.append(char(result));
    appendCrcLowFirst(f);
    return f;
}

void SpoilChecksum(QByteArray& frame)
{
    if (!frame.isEmpty()) frame[frame.size() - 1] = char(quint8(frame.back()) ^ 0x5A);
}

} // namespace quentry::emulator
