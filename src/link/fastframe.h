#pragma once
// FAST (MODE3) frames: command, 16-bit length, data, CRC-16/MODBUS. Requests carry their
// CRC high byte first; replies low byte first, so that the CRC over a whole reply is 0.
#include "linktypes.h"

#include <QByteArray>

namespace quentry {

QByteArray FastBuildRequest(quint8 cmd, const quint8* data, int count);

// Parses rx[0 .. rxIndex): cmd (bit 7 ignored), ApiError (the status byte), CRC and
// length checks. lengthField receives the reply's length field (status + data bytes).
// The reply data start at offset 4.
TFrameError FastParseReply(const quint8* rx, int rxIndex, TTXRXInfo& reply, int& lengthField);

// The length of the reply frame at the start of rx[0 .. count) (m + 5 bytes by its length
// field m), when that many bytes are there and their CRC holds; 0 otherwise.
int FastCompleteFrame(const quint8* rx, int count);

// "[B0 B1 B2] [B3] B4 B5 ...": header, status byte, data.
QString FastAckDump(const quint8* bytes, int count);

constexpr int kFastReplyDataOffset = 4;

} // namespace quentry
