#pragma once
// Byte vectors written as hex text in tests: bytes("FF FF 02 82").
#include <QByteArray>
#include <QString>

namespace quentry::test {

inline QByteArray bytes(const char* hex) { return QByteArray::fromHex(QByteArray(hex).replace(' ', "")); }
inline const quint8* u8(const QByteArray& b) { return reinterpret_cast<const quint8*>(b.constData()); }

// A HART reply built independently of the code under test: delimiter .. data, XOR appended.
inline QByteArray hartReply(int preambles, const QByteArray& delimiterToData)
{
    QByteArray f(preambles, char(0xFF));
    quint8 x = 0;
    for (char c : delimiterToData) x ^= quint8(c);
    return f + delimiterToData + char(x);
}

// The bytes followed by their CRC-16/MODBUS, low byte first (computed bit by bit here).
QByteArray withCrc(const QByteArray& bytes);

// A FAST reply: header, status, data and the CRC-16/MODBUS low byte first.
QByteArray fastReply(quint8 cmd, quint8 status, const QByteArray& data);

} // namespace quentry::test
