// report: the service report of a saved log image, as a PDF, without a display.
#include "commands.h"
#include "reportvisit.h"
#include "servicereport.h"

#include <QApplication>
#include <QFileInfo>

namespace quentry::cli {

std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    if (ParseCommandLine(args).command != QLatin1String("report")) return std::make_unique<QCoreApplication>(argc, argv);
    // The chart is drawn by a widget that is never shown: no window system is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}

int RunReport(const TCommandLine& c, TTerminalFeedback& f)
{
    if (c.arguments.size() != 1) return UsageError(f, QStringLiteral("report wants one image file"));
    if (c.pdf.isEmpty()) return UsageError(f, QStringLiteral("report wants --pdf OUT.pdf"));
    const QString image = c.arguments[0];
    TLogStore store(&f);
    QString error;
    if (!LoadImageArgument(image, store, f, error)) return Fail(f, error);

    // An image holds rows only: who, how and when of the visit are not in it.
    TReportVisit visit;
    visit.source = QStringLiteral("image file %1").arg(QFileInfo(image).fileName());
    visit.sha256 = FileSha256(image);
    TOperationContext context;
    context.Feedback = &f;
    const auto rows = std::span(store.LogRows().data(), std::size_t(store.LogCount()));
    const TReportFileResult r = WriteServiceReport(c.pdf, rows, visit, context);
    if (!r.ok) return Fail(f, TTerminalFeedback::oneLine(r.error));
    f.note(QStringLiteral("service report: %1 (%2 pages, %3 rows)").arg(c.pdf).arg(r.pages).arg(r.records));
    return 0;
}

} // namespace quentry::cli
