#include "servicereport.h"

#include "quentryversion.h"
#include "reportchart.h"
#include "reportdocument.h"
#include "reportfigures.h"
#include "reportpages.h"

#include <QPageLayout>
#include <qcustomplot.h>
#include <QPdfWriter>
#include <QSaveFile>

namespace quentry {
namespace {

constexpr int kResolution = 600;

QString cannotWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("The service report could not be written to %1:\r%2").arg(FileNameOnly(path), reason);
}

} // namespace

QString ReportProgramName() { return QStringLiteral("Quentry %1").arg(QStringLiteral(QUENTRY_VERSION)); }

TReportFileResult WriteServiceReport(const QString& path, std::span<const THART_PAS_LOG_Row> rows, const TReportVisit& visit,
                               const TOperationContext& context, const QDateTime& made)
{
    TReportFileResult result;
    if (rows.empty()) {
        result.error = QStringLiteral("no records for a report");
        return result;
    }
    TElapsedClock ownClock;
    TElapsedClock& clock = context.Clock ? *context.Clock : ownClock;
    clock.Start();
    TRowLoopProgress progress(context, clock);
    TProgressOptions o;
    o.caption = QStringLiteral("Service Report");
    o.text = QStringLiteral("Computing the figures of %1 record(s) ...").arg(rows.size());
    o.maximum = 100;
    progress.Show(o);
    progress.ProcessEvents();

    const TReportFigures figures = ComputeReportFigures(rows);
    TReportDocument document = ComposeServiceReport(figures, visit, made);
    document.program = ReportProgramName();
    progress.SetPosition(20);
    progress.ProcessEvents();
    TReportChart chart(rows);
    progress.SetPosition(30);
    progress.ProcessEvents();
    chart.Build();
    progress.SetPosition(40);
    progress.ProcessEvents();

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        progress.Hide();
        result.error = cannotWrite(path, file.errorString());
        context.Feedback->showError(result.error);
        return result;
    }
    QPdfWriter writer(&file);
    writer.setResolution(kResolution);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    writer.setTitle(document.title + (document.subtitle.isEmpty() ? QString() : QStringLiteral(" - ") + document.subtitle));
    writer.setCreator(document.program);

    // A QCustomPlot painter throughout, so the chart draws on the page's own painter.
    QCPPainter painter;
    TReportPages pages(document, [&chart, &painter](QPainter&, const QRectF& area) { chart.Paint(painter, area); });
    if (!painter.begin(&writer)) {
        progress.Hide();
        file.cancelWriting();
        result.error = cannotWrite(path, QStringLiteral("the PDF could not be started"));
        context.Feedback->showError(result.error);
        return result;
    }
    pages.Layout(painter);
    const QString writing = QStringLiteral("Writing %1\rPlease Wait!\r").arg(FileNameOnly(path));
    for (int i = 0; i < pages.PageCount(); ++i) {
        if (i > 0) writer.newPage();
        pages.PaintPage(painter, i);
        const int position = 40 + 60 * (i + 1) / pages.PageCount();
        progress.SetPosition(position);
        progress.SetElapsedText(writing, position);
        progress.ProcessEvents();
    }
    painter.end();
    progress.Hide();
    if (!file.commit()) {
        result.error = cannotWrite(path, file.errorString());
        context.Feedback->showError(result.error);
        return result;
    }
    result.ok = true;
    result.records = int(rows.size());
    result.pages = pages.PageCount();
    return result;
}

} // namespace quentry
