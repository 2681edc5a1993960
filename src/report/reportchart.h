#pragma once
// The report's trend: the trend window's own chart over the rows that carry values, PV
// with its lost-echo marks and the sensor temperature on the right axis, the lines broken
// where rows are missing. Built once, painted into a rectangle of a page.
#include "logfilterproxy.h"
#include "logtablemodel.h"
#include "trendseries.h"

#include <QRectF>
#include <QSize>
#include <memory>
#include <span>

class QCPPainter;

namespace quentry {

class TTrendChart;

class TReportChart
{
public:
    // Takes the rows as the log table holds them; the chart is built by Build or on the
    // first Paint (two steps, so a window can let its event loop run between them).
    explicit TReportChart(std::span<const THART_PAS_LOG_Row> rows);
    ~TReportChart();

    void Build();
    // Paints the chart over area (device units); the chart is laid out at a screen-like
    // size and scaled.
    void Paint(QCPPainter& painter, const QRectF& area);
    const TTrendSeries& Series();

private:
    TLogTableModel FModel;
    TLogFilterProxy FProxy;
    TTrendSeries FSeries;
    std::unique_ptr<TTrendChart> FChart;
};

} // namespace quentry
