#pragma once
// The one serializer of a decoded row as a log image file stores it: 455 packed bytes,
// every number little-endian, every text as its length byte and all its character bytes
// (those beyond the length included), the status block with its fill byte.
#include "pasrecords.h"

namespace quentry {

constexpr int kImageRowSize = 455;
constexpr int kImageErrStatSize = 190;
constexpr int kImageErrStatOffset = 252;

void EncodeImageRow(const THART_PAS_LOG_Row& row, quint8* out);
// A Boolean byte other than 0 reads as true.
THART_PAS_LOG_Row DecodeImageRow(const quint8* in);

} // namespace quentry
