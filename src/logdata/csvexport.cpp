#include "csvexport.h"

#include "filereplacement.h"

#include <QDateTime>
#include <QFile>
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
    return ExportCsv(path, table.RecordCount(), [&table](int i) { return table.Record(i); }, context);
}

TFileResult ExportCsv(const QString& path, int count, const TRecordAt& recordAt, const TOperationContext& context)
{
    TFileResult result;
    TFileReplacement replacement(path);
    QFile file;
    if (replacement.Begin()) file.setFileName(replacement.WorkPath());
    if (replacement.WorkPath().isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const QString why = replacement.WorkPath().isEmpty() ? replacement.ErrorString() : file.errorString();
        result.error = QStringLiteral("Error creating %1!\r%2").arg(FileNameOnly(path), why);
        context.Feedback->showError(result.error);
        return result;
    }
    // Written a block at a time: a long period costs no more memory than a logger's worth.
    constexpr qsizetype kBlock = 1 << 20;
    QByteArray text = CsvHeaderLine() + "\r\n";
    bool written = true;
    for (int i = 0; i < count && written; ++i) {
        text.append(CsvLine(recordAt(i)));
        text.append("\r\n");
        if (text.size() >= kBlock) {
            written = file.write(text) == text.size();
            text.clear();
        }
    }
    written = written && file.write(text) == text.size() && file.flush();
    QString why = file.errorString();
    file.close();
    if (written && !replacement.Commit()) {
        written = false;
        why = replacement.ErrorString();
    }
    if (!written) {
        result.error = QStringLiteral("Error writing %1!\r%2").arg(FileNameOnly(path), why);
        context.Feedback->showError(result.error);
        return result;
    }
    result.ok = true;
    result.records = count;
    return result;
}

} // namespace quentry
