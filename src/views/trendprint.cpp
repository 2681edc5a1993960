#include "trendprint.h"

#include "trendchart.h"

#include <QFileInfo>
#include <QPainter>
#include <QPrinter>

namespace quentry {

bool PrintChart(TTrendChart& chart, QPrinter& printer, QSize designSize)
{
    if (designSize.isEmpty()) designSize = chart.size();
    chart.SetLegendAtBottom(true);
    QCPPainter painter;
    bool ok = painter.begin(&printer);
    if (ok) {
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        // Lines scale with the chart: a one-pixel pen is no hairline at the printer's resolution.
        painter.setMode(QCPPainter::pmNonCosmetic);
        const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
        painter.scale(page.width() / designSize.width(), page.height() / designSize.height());
        chart.toPainter(&painter, designSize.width(), designSize.height());
        ok = painter.end();
    }
    chart.SetLegendAtBottom(false);
    chart.replot(QCustomPlot::rpQueuedReplot);
    return ok;
}

bool SaveChart(TTrendChart& chart, const QString& path, QSize designSize)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageOrientation(QPageLayout::Landscape);
        printer.setOutputFileName(path);
        return PrintChart(chart, printer, designSize);
    }
    return chart.savePng(path);
}

} // namespace quentry
