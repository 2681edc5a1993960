#pragma once
// The check byte that closes every 44-byte logger row.
#include <QtGlobal>

namespace quentry {

constexpr int kLogRowSize = 44;

// c := ((c xor byte[i]) + i) mod 256 over bytes 0..42.
quint8 LogRowChecksum(const quint8* row);
inline bool LogRowChecksumOk(const quint8* row) { return LogRowChecksum(row) == row[43]; }

} // namespace quentry
