#include "loggerdefects.h"

#include "loggerrow.h"
#include "wire/wireconv.h"

#include <QRegularExpression>
#include <QStringList>

namespace quentry::emulator {
namespace {

constexpr int kMaxRow = 65531;

// Adds `delta` to the index of every row from `from` on.
void shiftIndexes(std::vector<TLogRowBytes>& rows, int from, int delta)
{
    for (size_t i = size_t(qMax(0, from)); i < rows.size(); ++i)
        writeBE16(rows[i].data() + 3, quint16(readBE16(rows[i].data() + 3) + delta));
}

} // namespace

void TLoggerDefects::applyTo(std::vector<TLogRowBytes>& rows) const
{
    if (missingIndexes.empty() && indexFallsBack.empty()) return;
    for (const auto& [row, count] : missingIndexes) shiftIndexes(rows, row, count);
    for (const auto& [row, by] : indexFallsBack) shiftIndexes(rows, row, -by);
    for (TLogRowBytes& r : rows) SetRowChecksum(r);
}

std::optional<TLoggerDefects> TLoggerDefects::parse(const QString& text, QString* error)
{
    auto fail = [error](const QString& why) -> std::optional<TLoggerDefects> {
        if (error) *error = why;
        return std::nullopt;
    };
    TLoggerDefects d;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) return d;
    static const QRegularExpression re(QStringLiteral("^([a-z]+)@([0-9]+)(?::([0-9]+))?$"));
    for (const QString& item : trimmed.split(QLatin1Char(','))) {
        const QRegularExpressionMatch m = re.match(item.trimmed());
        if (!m.hasMatch()) return fail(QStringLiteral("not a logger defect: %1").arg(item.trimmed()));
        const QString kind = m.captured(1);
        bool ok = false;
        const int row = m.captured(2).toInt(&ok);
        if (!ok || row > kMaxRow) return fail(QStringLiteral("logger rows are 0..%1: %2").arg(kMaxRow).arg(item));
        const bool hasArg = !m.captured(3).isEmpty();
        const int arg = hasArg ? m.captured(3).toInt(&ok) : 0;
        if (hasArg && (!ok || arg < 1 || arg > 65535))
            return fail(QStringLiteral("the argument is 1..65535: %1").arg(item));
        if (kind == QLatin1String("gap")) {
            d.missingIndexes.emplace_back(row, hasArg ? arg : 1);
        } else if (kind == QLatin1String("back")) {
            d.indexFallsBack.emplace_back(row, hasArg ? arg : 1000);
        } else if (kind == QLatin1String("readerror") || kind == QLatin1String("rowchk")) {
            if (hasArg) return fail(QStringLiteral("%1 takes no argument").arg(kind));
            (kind == QLatin1String("readerror") ? d.readErrorRows : d.badCheckRows).insert(row);
        } else {
            return fail(QStringLiteral("unknown logger defect: %1").arg(kind));
        }
    }
    return d;
}

QString LoggerDefectsHelp()
{
    return QStringLiteral(
        "Logger defects: --defects DEFECT[,DEFECT]...  with DEFECT = KIND@ROW[:ARG]\n"
        "  They stay with the row (ROW counts from 0, the oldest row), however often it is read.\n"
        "  KIND  gap        ARG indexes (default 1) are missing before the row, as after a\n"
        "                   power failure while writing\n"
        "        readerror  every record read of the row answers READERROR\n"
        "        back       the row's index falls back by ARG (default 1000) and counting goes\n"
        "                   on from there\n"
        "        rowchk     every page read carries the row with a wrong check byte\n"
        "  Examples: gap@500  readerror@20  back@100:50  rowchk@7\n");
}

} // namespace quentry::emulator
