#pragma once
// The trend chart: PV with its echo-loss marks on the left axis, one chosen quantity on
// the right axis, row positions along the bottom labelled with the rows' dates. Shows a
// TTrendSeries; knows nothing of filters. A click reports the row position under the
// pointer; dragging or the wheel over the bottom axis zooms into a range of positions,
// a double-click shows the whole range again.
#include "trendseries.h"

#include <qcustomplot.h>

#include <functional>
#include <optional>

class QRubberBand;

namespace quentry {

class TTrendChart : public QCustomPlot
{
    Q_OBJECT
public:
    // The row at a position (1-based), for bottom labels and tooltips; empty when none.
    using TRecordAt = std::function<const TLogRecord*(int position)>;

    explicit TTrendChart(QWidget* parent = nullptr);

    QCPGraph* PVSeries() const { return FPV; }
    QCPGraph* EchoSeries() const { return FEcho; }
    QCPGraph* RightSeries() const { return FRight; }

    void SetRecordSource(TRecordAt recordAt) { FRecordAt = std::move(recordAt); }
    // Puts the series' points and axis ranges on the chart and repaints.
    void ShowSeries(const TTrendSeries& series);
    // The whole bottom range (first .. last passing position); a zoom starts from it again.
    void SetBottomRange(double min, double max);
    double BottomMin() const { return FBottomMin; }
    double BottomMax() const { return FBottomMax; }
    // Line pen, point marks and legend colour of the right-axis series.
    void SetRightColour(const QColor& colour);
    QColor RightColour() const { return FRightColour; }

    // Bottom-axis value under a pixel column, rounded to a whole position (halves to even).
    int PositionAt(double pixelX) const;
    // "yyyy.MM.dd.\nhh:mm" of the row at a position when a series has a point there.
    QString BottomLabel(double position) const;
    // Date-time, value and event text of the PV or right-axis point nearest the pixel
    // (within a few pixels); empty when none is.
    QString ToolTipAt(const QPoint& pixel) const;

    void ZoomBottom(double lower, double upper);
    void ShowAll();
    bool Zoomed() const;

    // Legend under the plot (for printing) or at its right (on screen).
    void SetLegendAtBottom(bool bottom);

signals:
    void PositionClicked(int position);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;

private:
    void applyBottomRange(double lower, double upper);
    void usePixelFonts();

    QCPGraph* FPV = nullptr;
    QCPGraph* FEcho = nullptr;
    QCPGraph* FRight = nullptr;
    QCPLayoutGrid* FBody = nullptr; // axis rect and legend side by side
    QColor FRightColour = Qt::green;
    double FBottomMin = 0.0, FBottomMax = 0.0;
    TRecordAt FRecordAt;
    const TTrendSeries* FSeries = nullptr;
    std::optional<QPoint> FPressAt;
    QRubberBand* FBand = nullptr;
    bool FLegendAtBottom = false;
};

} // namespace quentry
