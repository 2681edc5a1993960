#include "dbaseexport.h"

#include "dbf/dbfconnection.h"
#include "filereplacement.h"

namespace quentry {
namespace {

QString TypeClause(const TLogField& f)
{
    switch (f.type) {
    case TFieldType::String: return QStringLiteral(" CHAR(%1)").arg(f.size);
    case TFieldType::Word:
    case TFieldType::Smallint:
    case TFieldType::Integer: return QStringLiteral(" INTEGER");
    case TFieldType::Boolean: return QStringLiteral(" LOGICAL");
    case TFieldType::Float: return QStringLiteral(" REAL");
    case TFieldType::DateTime: return QStringLiteral(" DATETIME");
    }
    return {};
}

} // namespace

QString BuildCreateTableSql(const QString& tableName, const TLogFields& fields)
{
    QString sql = QStringLiteral("CREATE TABLE ") + tableName + QStringLiteral(" (");
    sql += QStringLiteral(" ") + QLatin1String(fields[0].name) + QStringLiteral(" DATETIME,");
    sql += QStringLiteral(" HOUR INTEGER,");
    sql += QStringLiteral(" MIN INTEGER,");
    for (std::size_t i = 1; i < fields.size(); ++i) {
        sql += QStringLiteral(" ") + QLatin1String(fields[i].name) + TypeClause(fields[i]);
        if (i + 1 < fields.size()) sql += QLatin1Char(',');
    }
    sql += QLatin1Char(')');
    return sql;
}

bool AppendExportRecord(dbf::TDbfTable& table, const TLogRecord& record)
{
    if (!table.IsOpen() || int(table.Fields().size()) != kLogFieldCount + 2) return false;
    table.Append();
    bool ok = true;
    if (const auto p = TryDecodeDateTime(record.recdatetim)) {
        ok &= table.SetDate(0, p->year, p->month, p->day);
        ok &= table.SetInteger(1, p->hour);
        ok &= table.SetInteger(2, p->minute);
    } else { // a stamp no calendar holds: an empty date, hour and minute
        table.SetNull(0);
        table.SetNull(1);
        table.SetNull(2);
    }
    for (int k = 1; k < kLogFieldCount; ++k) ok &= table.SetValue(k + 2, record.Value(k));
    return ok && table.Post();
}

TFileResult ExportDbase(const QString& path, const TLogTableModel& table, const TOperationContext& context)
{
    return ExportDbase(path, table.RecordCount(), [&table](int i) { return table.Record(i); }, context);
}

TFileResult ExportDbase(const QString& path, int count, const std::function<TLogRecord(int i)>& recordAt,
                        const TOperationContext& context)
{
    TFileResult result;
    if (count == 0) {
        result.error = QStringLiteral("no records to export");
        return result;
    }
    TElapsedClock ownClock;
    TElapsedClock& clock = context.Clock ? *context.Clock : ownClock;
    TRowLoopProgress loop(context, clock);
    const QString name = FileNameOnly(path);

    TProgressOptions o;
    o.caption = QStringLiteral("Saving Database");
    o.centre = TCentre::Screen;
    o.text = QStringLiteral("Creating Database...\r\r");
    loop.Show(o);

    dbf::TDbfTable dbfTable;
    dbf::TDbfConnection connection;
    // The table is made under its own name in a private folder beside the file and takes the
    // file's place only when it is complete: a failed export leaves the old table as it was.
    TFileReplacement replacement(path);
    if (!replacement.Begin()) {
        loop.Hide();
        result.error = QStringLiteral("Error creating table %1!\r%2").arg(name, replacement.ErrorString());
        context.Feedback->showError(result.error);
        return result;
    }
    connection.SetDirectory(replacement.WorkDirectory());

    loop.Hide();
    o.maximum = count - 1;
    o.cancelButton = true;
    const QString prefix = QStringLiteral("Exporting to ") + name + QStringLiteral("\rPlease Wait!\r");
    o.text = prefix;
    loop.Show(o);
    clock.Start();
    loop.ProcessEvents();

    QString why;
    if (!connection.Execute(BuildCreateTableSql(name), &why)) {
        loop.Hide();
        result.error = QStringLiteral("Error creating table %1!\r%2").arg(name, why);
        context.Feedback->showError(result.error);
        return result;
    }
    if (!dbfTable.Open(connection.TablePath(name))) {
        loop.Hide();
        result.error = QStringLiteral("Error opening table %1!\r%2").arg(name, dbfTable.ErrorString());
        context.Feedback->showError(result.error);
        return result;
    }

    for (int i = 0; i < count; ++i) {
        const int position = i + 1; // the log table's record number
        loop.SetPosition(position);
        if (loop.Canceled()) {
            result.canceled = true;
            break;
        }
        AppendExportRecord(dbfTable, recordAt(i));
        loop.SetElapsedText(prefix, PercentOf(position, o.maximum));
        loop.AfterRow(i);
    }
    const int exported = dbfTable.RecordCount();
    const bool closed = dbfTable.Close();
    loop.Hide();
    if (!closed || !replacement.Commit()) {
        result.error = QStringLiteral("Error writing table %1!\r%2")
                           .arg(name, closed ? replacement.ErrorString() : dbfTable.ErrorString());
        context.Feedback->showError(result.error);
        return result;
    }
    result.ok = true;
    result.records = exported;
    if (context.FullLog)
        result.label4 = QStringLiteral("Exported %1 record(s), ").arg(exported) + clock.FormatElapsed(100);
    return result;
}

} // namespace quentry
