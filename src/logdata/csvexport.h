#pragma once
// CSV for spreadsheets: a header line with the log table's field names, then one line per
// record with "." decimals and ISO date-times. Built from the log table, so its values
// are the ones the trend window and the dBASE export see.
#include "fileresult.h"
#include "logtablemodel.h"
#include "operation.h"

#include <functional>

namespace quentry {

QByteArray CsvHeaderLine();
QByteArray CsvLine(const TLogRecord& record);

// Writes every record of the table to path (replaced if it exists). A file that cannot
// be created or written is reported and gives ok = false.
TFileResult ExportCsv(const QString& path, const TLogTableModel& table, const TOperationContext& context);
// The same for `count` records handed out in order by recordAt (i rising from 0 by one).
using TRecordAt = std::function<TLogRecord(int i)>;
TFileResult ExportCsv(const QString& path, int count, const TRecordAt& recordAt, const TOperationContext& context);

} // namespace quentry
