#include "trendchart.h"

#include "wire/datetime.h"

#include <QRubberBand>
#include <QToolTip>
#include <cmath>

namespace quentry {
namespace {

// Marks are given as diameters: a 2 by 2 circle mark reaches 2 pixels from its centre.
const QColor kPVColour(0, 0, 255);
const QColor kEchoColour(255, 0, 0);
const QColor kEchoOutline(210, 0, 0);
constexpr int kDragThreshold = 6;   // pixels before a press becomes a zoom drag
constexpr double kTipDistance = 8;  // pixels from a point that still show its tooltip

// Whole positions only, labelled with the dates of the rows plotted there.
class TPositionTicker final : public QCPAxisTicker
{
public:
    explicit TPositionTicker(const TTrendChart& chart) : FChart(chart) { setTickCount(7); }

protected:
    double getTickStep(const QCPRange& range) override
    {
        return std::max(1.0, std::ceil(QCPAxisTicker::getTickStep(range)));
    }
    int getSubTickCount(double) override { return 0; }
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override
    {
        const QString label = FChart.BottomLabel(tick);
        return label.isEmpty() ? QCPAxisTicker::getTickLabel(tick, locale, formatChar, precision) : label;
    }

private:
    const TTrendChart& FChart;
};

QCPGraph* makeSeries(QCustomPlot* plot, QCPAxis* valueAxis, const QString& name, const QColor& colour,
                     QCPScatterStyle::ScatterShape shape, double size, const QPen& outline, bool line)
{
    QCPGraph* g = plot->addGraph(plot->xAxis, valueAxis);
    g->setName(name);
    g->setPen(QPen(colour));
    g->setLineStyle(line ? QCPGraph::lsLine : QCPGraph::lsNone);
    g->setScatterStyle(QCPScatterStyle(shape, outline, QBrush(colour), size));
    g->setAdaptiveSampling(true);
    return g;
}

} // namespace

TTrendChart::TTrendChart(QWidget* parent) : QCustomPlot(parent)
{
    setObjectName(QStringLiteral("Chart1"));
    setBackground(Qt::white);
    setInteractions({}); // no panning; zoom is ours
    setMouseTracking(true);

    plotLayout()->insertRow(0);
    auto* title = new QCPTextElement(this, QStringLiteral("Logger Trend"), QFont(font().family(), 11, QFont::Bold));
    plotLayout()->addElement(0, 0, title);

    xAxis->setTicker(QSharedPointer<QCPAxisTicker>(new TPositionTicker(*this)));
    xAxis->setRange(0, 1);
    yAxis->setLabel(QStringLiteral("PV"));
    yAxis->setRange(0, 3);
    yAxis2->grid()->setVisible(false);
    yAxis2->setVisible(false);
    yAxis2->setTickLabels(true);

    FPV = makeSeries(this, yAxis, QStringLiteral("PV"), kPVColour, QCPScatterStyle::ssDisc, 5, Qt::NoPen, true);
    FEcho = makeSeries(this, yAxis, QStringLiteral("No ECHO"), kEchoColour, QCPScatterStyle::ssTriangle, 7,
                       QPen(kEchoOutline), false);
    FEcho->setPen(QPen(kEchoOutline));
    FRight = makeSeries(this, yAxis2, QStringLiteral("Current"), FRightColour, QCPScatterStyle::ssDisc, 5,
                        Qt::NoPen, true);

    // Legend at the right of the plot, 20 pixels from the top.
    legend->setVisible(true);
    axisRect()->insetLayout()->take(legend);
    FBody = new QCPLayoutGrid;
    FBody->setMargins(QMargins(0, 20, 6, 20));
    FBody->addElement(0, 0, legend);
    FBody->addElement(1, 0, new QCPLayoutElement(this));
    FBody->setRowStretchFactor(0, 0.001);
    plotLayout()->addElement(1, 1, FBody);
    plotLayout()->setColumnStretchFactor(1, 0.001);
    plotLayout()->setRowStretchFactor(0, 0.001);

    FBand = new QRubberBand(QRubberBand::Rectangle, this);
    usePixelFonts();
}

void TTrendChart::usePixelFonts()
{
    // Printing lays the chart out at its screen size and scales the painter to the page. A
    // font in points would be sized at the printer's resolution and then scaled again;
    // in the chart's own pixels it keeps its size against the plot.
    const double dpi = logicalDpiY() > 0 ? logicalDpiY() : 96;
    auto pixels = [dpi](QFont f) {
        if (f.pixelSize() <= 0) f.setPixelSize(std::max(1, int(std::lround(f.pointSizeF() * dpi / 72.0))));
        return f;
    };
    for (QCPAxis* axis : {xAxis, yAxis, xAxis2, yAxis2}) {
        axis->setTickLabelFont(pixels(axis->tickLabelFont()));
        axis->setSelectedTickLabelFont(pixels(axis->selectedTickLabelFont()));
        axis->setLabelFont(pixels(axis->labelFont()));
        axis->setSelectedLabelFont(pixels(axis->selectedLabelFont()));
    }
    legend->setFont(pixels(legend->font()));
    legend->setSelectedFont(pixels(legend->selectedFont()));
    for (int i = 0; i < legend->itemCount(); ++i) {
        legend->item(i)->setFont(pixels(legend->item(i)->font()));
        legend->item(i)->setSelectedFont(pixels(legend->item(i)->selectedFont()));
    }
    for (int i = 0; i < plotLayout()->elementCount(); ++i)
        if (auto* text = qobject_cast<QCPTextElement*>(plotLayout()->elementAt(i))) {
            text->setFont(pixels(text->font()));
            text->setSelectedFont(pixels(text->selectedFont()));
        }
}

void TTrendChart::ShowSeries(const TTrendSeries& series)
{
    FSeries = &series;
    FPV->setData(series.PV.x, series.PV.y, true);
    FEcho->setData(series.Echo.x, series.Echo.y, true);
    FRight->setData(series.Right.x, series.Right.y, true);
    yAxis->setRange(series.Axes.LeftMin, series.Axes.LeftMax);
    yAxis2->setVisible(series.Axes.RightVisible);
    yAxis2->setLabel(series.Axes.RightTitle);
    yAxis2->setRange(series.Axes.RightMin, series.Axes.RightMax);
    FRight->setName(series.RightSeriesTitle);
    FRight->setVisible(series.RightActive);
    if (series.RightActive) FRight->addToLegend();
    else FRight->removeFromLegend();
    replot(rpQueuedReplot);
}

void TTrendChart::SetBottomRange(double min, double max)
{
    FBottomMin = min;
    FBottomMax = max;
    applyBottomRange(min, max);
}

void TTrendChart::applyBottomRange(double lower, double upper)
{
    // One position still gets a visible range around it.
    if (upper - lower < 1.0) {
        const double mid = (lower + upper) / 2;
        lower = mid - 0.5;
        upper = mid + 0.5;
    }
    xAxis->setRange(lower, upper);
}

void TTrendChart::SetRightColour(const QColor& colour)
{
    FRightColour = colour;
    FRight->setPen(QPen(colour));
    QCPScatterStyle s = FRight->scatterStyle();
    s.setBrush(QBrush(colour));
    FRight->setScatterStyle(s);
}

int TTrendChart::PositionAt(double pixelX) const
{
    return int(std::nearbyint(xAxis->pixelToCoord(pixelX)));
}

QString TTrendChart::BottomLabel(double position) const
{
    const int p = int(std::nearbyint(position));
    if (std::fabs(position - p) > 1e-6 || !FSeries || !FSeries->HasPointAt(p) || !FRecordAt) return {};
    const TLogRecord* r = FRecordAt(p);
    if (!r) return {};
    const QDateTime t = toQDateTime(r->recdatetim);
    return t.isValid() ? t.toString(QStringLiteral("yyyy.MM.dd.\nhh:mm")) : QString();
}

QString TTrendChart::ToolTipAt(const QPoint& pixel) const
{
    if (!FSeries || !FRecordAt) return {};
    struct TCandidate { const TTrendPoints* points; const QCPAxis* axis; QString name; };
    const TCandidate candidates[] = {{&FSeries->PV, yAxis, QStringLiteral("PV")},
                                     {&FSeries->Right, yAxis2, FSeries->RightSeriesTitle}};
    const double key = xAxis->pixelToCoord(pixel.x());
    double best = kTipDistance;
    QString text;
    for (const TCandidate& c : candidates) {
        if (c.points->size() == 0 || (!c.axis->visible() && c.axis == yAxis2)) continue;
        const auto& xs = c.points->x;
        const int above = int(std::lower_bound(xs.begin(), xs.end(), key) - xs.begin());
        // A break point (NaN) may sit beside the key: look one further on each side.
        for (int i = above - 2; i <= above + 1; ++i) {
            if (i < 0 || i >= xs.size() || std::isnan(c.points->y[i])) continue;
            const double dx = xAxis->coordToPixel(xs[i]) - pixel.x();
            const double dy = c.axis->coordToPixel(c.points->y[i]) - pixel.y();
            const double d = std::hypot(dx, dy);
            if (d > best) continue;
            const TLogRecord* r = FRecordAt(int(xs[i]));
            if (!r) continue;
            best = d;
            text = QStringLiteral("%1\n%2: %3\n%4")
                       .arg(toQDateTime(r->recdatetim).toString(QStringLiteral("yyyy.MM.dd. hh:mm:ss")), c.name,
                            QString::number(c.points->y[i], 'f', 3), r->eventstr);
        }
    }
    return text;
}

void TTrendChart::ZoomBottom(double lower, double upper)
{
    if (upper < lower) std::swap(lower, upper);
    lower = std::max(lower, FBottomMin - 0.5);
    upper = std::min(upper, FBottomMax + 0.5);
    if (upper - lower < 1.0) return;
    applyBottomRange(lower, upper);
    replot(rpQueuedReplot);
}

void TTrendChart::ShowAll()
{
    applyBottomRange(FBottomMin, FBottomMax);
    replot(rpQueuedReplot);
}

bool TTrendChart::Zoomed() const
{
    return xAxis->range().lower > FBottomMin + 0.5 || xAxis->range().upper < FBottomMax - 0.5;
}

void TTrendChart::SetLegendAtBottom(bool bottom)
{
    if (bottom == FLegendAtBottom) return;
    FLegendAtBottom = bottom;
    if (bottom) {
        FBody->take(legend);
        plotLayout()->addElement(2, 0, legend);
        legend->setFillOrder(QCPLegend::foColumnsFirst);
        plotLayout()->setRowStretchFactor(2, 0.001);
        plotLayout()->setMargins(QMargins(0, 0, 0, 2)); // the legend's frame stays inside the page
    } else {
        plotLayout()->take(legend);
        plotLayout()->simplify();
        legend->setFillOrder(QCPLegend::foRowsFirst);
        FBody->addElement(0, 0, legend);
        plotLayout()->setMargins(QMargins());
    }
    plotLayout()->setRowStretchFactor(0, 0.001);
}

void TTrendChart::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) FPressAt = event->position().toPoint();
    QCustomPlot::mousePressEvent(event);
}

void TTrendChart::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (FPressAt && (FBand->isVisible() || std::abs(at.x() - FPressAt->x()) > kDragThreshold)) {
        const QRect plot = axisRect()->rect();
        FBand->setGeometry(QRect(QPoint(std::min(at.x(), FPressAt->x()), plot.top()),
                                 QPoint(std::max(at.x(), FPressAt->x()), plot.bottom())));
        FBand->show();
    }
    QCustomPlot::mouseMoveEvent(event);
}

void TTrendChart::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && FPressAt) {
        const QPoint at = event->position().toPoint();
        if (FBand->isVisible()) {
            FBand->hide();
            ZoomBottom(xAxis->pixelToCoord(FPressAt->x()), xAxis->pixelToCoord(at.x()));
        } else if (axisRect()->rect().contains(at)) {
            emit PositionClicked(PositionAt(at.x()));
        }
        FPressAt.reset();
    }
    QCustomPlot::mouseReleaseEvent(event);
}

void TTrendChart::mouseDoubleClickEvent(QMouseEvent* event)
{
    ShowAll();
    QCustomPlot::mouseDoubleClickEvent(event);
}

void TTrendChart::wheelEvent(QWheelEvent* event)
{
    const QPointF at = event->position();
    const QRect plot = axisRect()->rect();
    if (at.y() <= plot.bottom() || at.x() < plot.left() || at.x() > plot.right()) {
        event->ignore();
        return;
    }
    const double steps = event->angleDelta().y() / 120.0;
    const double factor = std::pow(0.85, steps); // forward zooms in
    const double centre = xAxis->pixelToCoord(at.x());
    const QCPRange r = xAxis->range();
    ZoomBottom(centre - (centre - r.lower) * factor, centre + (r.upper - centre) * factor);
    event->accept();
}

bool TTrendChart::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = ToolTipAt(help->pos());
        if (text.isEmpty()) QToolTip::hideText();
        else QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QCustomPlot::event(event);
}

} // namespace quentry
