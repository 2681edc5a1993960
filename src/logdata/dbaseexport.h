#pragma once
// dBASE export: a new .dbf table made by a CREATE TABLE statement built from the log
// table's fields (the date-time followed by its HOUR and MIN, then fields 2 to 39), then
// filled with one record per log table record.
#include "dbf/dbftable.h"
#include "fileresult.h"
#include "logfields.h"
#include "logtablemodel.h"
#include "operation.h"

#include <functional>

namespace quentry {

// "CREATE TABLE Export.dbf ( recdatetim DATETIME, HOUR INTEGER, MIN INTEGER, recindex
// INTEGER, eventstr CHAR(30), ... dbug2 INTEGER)"
QString BuildCreateTableSql(const QString& tableName, const TLogFields& fields = LogTableFields());

// Appends one record: the date-time, its hour and minute, then fields 2 to 39 as the log
// table holds them. A record that cannot be made is skipped (false); the loop goes on.
bool AppendExportRecord(dbf::TDbfTable& table, const TLogRecord& record);

// Writes every record of the log table into a new table file at path (an existing file is
// deleted first). A CREATE TABLE that fails, a table that cannot be opened or written is
// reported and gives ok = false. Cancel keeps the records written so far.
TFileResult ExportDbase(const QString& path, const TLogTableModel& table, const TOperationContext& context);
// The same for `count` records handed out in order by recordAt (i rising from 0 by one).
TFileResult ExportDbase(const QString& path, int count, const std::function<TLogRecord(int i)>& recordAt,
                        const TOperationContext& context);

} // namespace quentry
