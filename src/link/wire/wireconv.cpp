#include "wireconv.h"

#include <cmath>
#include <cstring>

namespace quentry {

float floatFromBits(quint32 bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

quint32 bitsFromFloat(float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

quint16 WordToBCD(quint32 v)
{
    if (v > 9999) return 0;
    return quint16((v / 1000) << 12 | ((v / 100) % 10) << 8 | ((v / 10) % 10) << 4 | (v % 10));
}

quint32 Bytes3ToInt(const quint8* p) { return quint32(p[0]) << 16 | quint32(p[1]) << 8 | p[2]; }

void IntToBytes3(quint32 v, quint8* p)
{
    p[0] = quint8(v >> 16);
    p[1] = quint8(v >> 8);
    p[2] = quint8(v);
}

quint32 SwapLongWord(quint32 v)
{
    return (v & 0xFFu) << 24 | (v & 0xFF00u) << 8 | (v & 0xFF0000u) >> 8 | v >> 24;
}

float singleReplacement() { return floatFromBits(0x7F7FC99Eu); }

float SwapSingle(const quint8* wire)
{
    const float f = floatFromBits(readBE32(wire));
    if (std::isnan(f) || f > 3.4e38f) return singleReplacement();
    return f;
}

void SingleToWire(float value, quint8* wire) { writeBE32(wire, bitsFromFloat(value)); }

QString PadString(const QString& s, int n)
{
    if (s.size() >= n) return s.left(n);
    return s + QString(n - s.size(), QLatin1Char(' '));
}

int PackASCII(const QString& s, quint8* dest, int destCapacity)
{
    const QByteArray text = toSingleByte(s.toUpper());
    int written = 0;
    for (int g = 0; g < text.size() && written + 3 <= destCapacity; g += 4) {
        quint8 c[4] = {0, 0, 0, 0};
        const bool whole = g + 4 <= text.size();
        if (whole)
            for (int k = 0; k < 4; ++k) c[k] = quint8(text[g + k]) & 0x3F;
        dest[written++] = quint8(c[0] * 4 + c[1] / 16);
        dest[written++] = quint8((c[1] % 16) * 16 + c[2] / 4);
        dest[written++] = quint8((c[2] % 4) * 64 + c[3]);
    }
    return written;
}

QString UnpackASCII(const quint8* src, int n)
{
    QString out;
    out.reserve(n / 3 * 4);
    for (int g = 0; g + 3 <= n; g += 3) {
        const quint8 b0 = src[g], b1 = src[g + 1], b2 = src[g + 2];
        const int codes[4] = {b0 / 4, (b0 % 4) * 16 + b1 / 16, (b1 % 16) * 4 + b2 / 64, b2 % 64};
        for (int c : codes) out.append(QChar(c < 32 ? c + 64 : c));
    }
    return out;
}

QByteArray toSingleByte(const QString& s) { return s.toLatin1(); }

QString fromSingleByte(const char* data, int length) { return QString::fromLatin1(data, length); }

} // namespace quentry
