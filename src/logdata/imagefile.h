#pragma once
// Log image files: the row count as a signed 32-bit number, then every row as its 455
// bytes followed by the CRC-16/MODBUS of those bytes, all little-endian.
#include "fileresult.h"
#include "logstore.h"
#include "operation.h"

namespace quentry {

constexpr int kImageHeaderSize = 4;
constexpr int kImageRecordSize = 457;     // row and checksum
// A full logger gives 12 288 rows: a file holding them must load again, so the bound is the
// store's capacity rather than one row less than a full logger.
constexpr int kImageMaxRowCount = kLogArrayRows;

// One record of the file: the row's 455 bytes and their CRC, kImageRecordSize bytes.
void EncodeImageRecord(const THART_PAS_LOG_Row& row, quint8* out);

// Writes the store's rows to path, replacing the file only once the whole image is on disk.
// A cancelled save writes the rows done so far with their count, or leaves the old file
// when none was done; a file that cannot be written is reported and leaves the old one.
// An empty store writes nothing.
TFileResult SaveImage(const QString& path, const TLogStore& store, const TOperationContext& context);

// Replaces the store's rows with the file's. A folder, a device file, an empty file, a short
// header or a count beyond the store's 12 289 rows loads nothing; a file too short for its
// count, or a record whose checksum does not match, shows "Crc Error!\rAborted!" and leaves
// the store empty. error names what is wrong (rows counted from 1). ok: a row was loaded.
TFileResult LoadImage(const QString& path, TLogStore& store, const TOperationContext& context);

// "Image File: <path> Loaded." / "Image File: <path> Canceled."
QString ImageMemoLine(const QString& path, bool loaded);

} // namespace quentry
