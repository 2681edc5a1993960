#pragma once
// The frames the transmitter and the adapters send back.
#include "requestparser.h"

#include <QByteArray>

namespace quentry::emulator {

// Preambles, delimiter (0x06 short, 0x86 long), the request's address, command, byte
// count (status bytes and data), response code, device status, data, XOR checksum.
QByteArray HartReply(const TParsedRequest& request, int preambles, quint8 responseCode, quint8 deviceStatus,
                     const QByteArray& data);
// Command, length (status byte and data, high byte first), status byte, data, CRC-16
// low byte first.
QByteArray FastReply(quint8 cmd, quint8 status, const QByteArray& data);
// The adapter's answer to a mode command: the two command bytes, the result, CRC-16 low
// byte first.
QByteArray AdapterAnswer(const std::array<quint8, 2>& command, quint8 result);

// The same frame with a wrong checksum.
void SpoilChecksum(QByteArray& frame);

} // namespace quentry::emulator
