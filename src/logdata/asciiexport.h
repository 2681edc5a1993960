#pragma once
// ASCII export: one line of fixed-width, comma-separated columns per stored row, CR LF
// after each, no header. Numbers always use "." as the decimal separator.
#include "fileresult.h"
#include "logstore.h"
#include "operation.h"

#include <QByteArray>
#include <functional>

namespace quentry {

// One line without its line end, in single-byte characters. rowCounter is the running
// number of the first column; timeSeparator the one between hour and minute.
QByteArray Log_AddASC(const THART_PAS_LOG_Row& Row, int rowCounter, char timeSeparator = ':');

// The time separator of the system's short time format (":" when it shows none).
char SystemTimeSeparator();

// Writes every row of the store to path (an existing file is replaced), numbered from 0.
// Cancel ends the loop and leaves the lines written so far. A file that cannot be created
// or written is reported and gives ok = false.
TFileResult ExportAscii(const QString& path, const TLogStore& store, const TOperationContext& context,
                        char timeSeparator = SystemTimeSeparator());
// The same for `count` rows handed out in order by rowAt (i rising from 0 by one), so rows
// read page by page from elsewhere need not all be in memory.
using TRowAt = std::function<const THART_PAS_LOG_Row&(int i)>;
TFileResult ExportAscii(const QString& path, int count, const TRowAt& rowAt, const TOperationContext& context,
                        char timeSeparator = SystemTimeSeparator());

} // namespace quentry
