#pragma once
// Conversions between host values and the transmitter's wire encodings:
// big-endian words and singles, 3-byte numbers, BCD passwords, HART packed ASCII.
#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace quentry {

// Explicit byte-order access; wire records are byte arrays, never cast.
inline quint16 readBE16(const quint8* p) { return quint16(p[0] << 8 | p[1]); }
inline quint16 readLE16(const quint8* p) { return quint16(p[1] << 8 | p[0]); }
inline quint32 readBE32(const quint8* p) { return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3]; }
inline quint32 readLE32(const quint8* p) { return quint32(p[3]) << 24 | quint32(p[2]) << 16 | quint32(p[1]) << 8 | p[0]; }
inline void writeBE16(quint8* p, quint16 v) { p[0] = quint8(v >> 8); p[1] = quint8(v); }
inline void writeLE16(quint8* p, quint16 v) { p[0] = quint8(v); p[1] = quint8(v >> 8); }
inline void writeBE32(quint8* p, quint32 v) { p[0] = quint8(v >> 24); p[1] = quint8(v >> 16); p[2] = quint8(v >> 8); p[3] = quint8(v); }
inline void writeLE32(quint8* p, quint32 v) { p[0] = quint8(v); p[1] = quint8(v >> 8); p[2] = quint8(v >> 16); p[3] = quint8(v >> 24); }

float floatFromBits(quint32 bits);
quint32 bitsFromFloat(float value);

// Four decimal digits as four nibbles (1234 -> 0x1234); values above 9999 give 0.
quint16 WordToBCD(quint32 v);

// Three bytes, most significant first.
quint32 Bytes3ToInt(const quint8* p);
void IntToBytes3(quint32 v, quint8* p);

// The four bytes of v in reverse order.
quint32 SwapLongWord(quint32 v);

// A single received most significant byte first. Values the host cannot use as a
// measurement (above 3.4e38, +infinity, NaN) are replaced by 3.4e38.
float SwapSingle(const quint8* wire);
// A single as it goes on the wire: its four bytes, most significant first.
void SingleToWire(float value, quint8* wire);
// The replacement value of SwapSingle (bits 0x7F7FC99E).
float singleReplacement();

// S cut to N characters, or padded with blanks to exactly N.
QString PadString(const QString& s, int n);

// HART packed ASCII: 4 characters in 3 bytes. Writes 3 bytes per group of 4 characters
// into dest (a short last group gives 3 zero bytes) and returns the number written.
int PackASCII(const QString& s, quint8* dest, int destCapacity);
QString UnpackASCII(const quint8* src, int n);

// Texts on the wire and in stored rows are single-byte characters.
QByteArray toSingleByte(const QString& s);
QString fromSingleByte(const char* data, int length);

} // namespace quentry
