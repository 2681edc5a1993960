#pragma once
// HART master frames: building a request, finding and checking a reply, and the texts
// of the reply's response code and field device status byte. Pure functions over byte
// buffers; the engine keeps the state.
#include "linktypes.h"

#include <QByteArray>

namespace quentry {

// Preambles, delimiter, address, command, byte count, data, XOR checksum.
QByteArray HartBuildRequest(const TTXRXInfo& device, const quint8* data, int count);

// Parses rx[0 .. rxIndex) into `reply`, which carries the request's addressing in and
// the reply's delimiter, command, byte count, flags and ApiError out. On FRERR_OK,
// rxOffset is the position of the response code; the data follow two bytes later.
TFrameError HartParseReply(const quint8* rx, int rxIndex, TTXRXInfo& reply, int& rxOffset);

// The length of rx[0 .. count) up to the checksum of the first whole reply frame in it
// (preambles, delimiter, address, command, byte count, byte count bytes, checksum), when
// that frame is complete and its checksum holds; 0 otherwise (not yet whole, or broken).
int HartCompleteFrame(const quint8* rx, int count);

// Fills both texts from ApiError; true when the response code refuses the command.
bool HartDecodeResponse(quint16 apiError, THART_RESPONSE_STR& texts);

// "XX " for every byte, in order.
QString HexDump(const quint8* bytes, int count);
// The two upper-case hexadecimal digits of a byte, appended; every dump is made of these.
void AppendHexByte(QString& text, quint8 byte);

} // namespace quentry
