#include "csvexport.h"

#include "filereplacement.h"

#include <QDateTime>
#include <charconv>
#include <cmath>

namespace quentry {
namespace {

void appendText(QByteArray& out, const QString& s)
{
    const QByteArray b = toSingleByte(s);
    if (!b.contains(',') && !b.contains('"') && !b.contains('\n') && !b.contains('\r')) {
        out.append(b);
        return;
    }
    out.append('"');
    for (char c : b) {
        if (c == '"') out.append('"');
        out.append(c);
    }
    out.append('"');
}

// Shortest text that reads back as the same double; never the locale's separator.
void appendNumber(QByteArray& out, double v)
{
    if (std::isnan(v)) return; // an empty cell
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, int(r.ptr - buf));
}

void appendInt(QByteArray& out, qint64 v)
{
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, int(r.ptr - buf));
}

} // namespace

QByteArray CsvHeaderLine()
{
    QByteArray line;
    const TLogFields& fields = LogTableFields();
    for (int i = 0; i < kLogFieldCount; ++i) {
        if (i) line.append(',');
        line.append(fields[size_t(i)].name);
    }
    return line;
}

QByteArray CsvLine(const TLogRecord& record)
{
    QByteArray line;
    const TLogFields& fields = LogTableFields();
    for (int i = 0; i < kLogFieldCount; ++i) {
        if (i) line.append(',');
        const QVariant v = record.Value(i);
        switch (fields[size_t(i)].type) {
        case TFieldType::DateTime: {
            const QDateTime dt = v.toDateTime();
            if (dt.isValid()) line.append(dt.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1());
            break;
        }
        case TFieldType::Float: appendNumber(line, v.toDouble()); break;
        case TFieldType::Boolean: line.append(v.toBool() ? "true" : "false"); break;
        case TFieldType::String: appendText(line, v.toString()); break;
        case TFieldType::Word:
        case TFieldType::Smallint:
        case TFieldType::Integer: appendInt(line, v.toLongLong()); break;
        }
    }
    return line;
}

TFileResult ExportCsv(const QString& path, const TLogTableModel& table, const TOperationContext& context)
{
    TFileResult result;
    QByteArray text = CsvHeaderLine() + "\r\n";
    for (int i = 0; i < table.RecordCount(); ++i) {
        text.append(CsvLine(table.Record(i)));
        text.append("\r\n");
    }
    QString why;
    if (!WriteFileWhole(path, text, &why)) {
        result.error = QStringLiteral("Error writing %1!\r%2").arg(FileNameOnly(path), why);
        context.Feedback->showError(result.error);
        return result;
    }
    result.ok = true;
    result.records = table.RecordCount();
    return result;
}

} // namespace quentry
