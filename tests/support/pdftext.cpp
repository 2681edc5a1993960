#include "pdftext.h"

#include <QProcess>
#include <QStandardPaths>

namespace quentry::test {

std::optional<QString> PdfText(const QString& pdf, const QStringList& options)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty()) return std::nullopt;
    QProcess p;
    p.start(tool, options + QStringList{pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        p.kill();
        p.waitForFinished();
        return std::nullopt;
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString PdfTextMissing() { return QStringLiteral("pdftotext (poppler-utils) is not installed"); }

} // namespace quentry::test
