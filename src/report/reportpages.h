#pragma once
// The service report laid out on A4 pages: headings kept with what follows them, fields
// in two columns, tables whose heading row repeats on every page they run over, notes,
// the chart, and on every page a footer with the program, the date of making and
// "Page n of N". Layout first (it measures with the painter's device), then each page is
// painted on its own, so a writer can let the event loop run between pages.
#include "reportdocument.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <functional>
#include <vector>

class QPainter;

namespace quentry {

class TReportPages
{
public:
    // Paints the chart into a rectangle of the page (device units of the painter).
    using TDrawChart = std::function<void(QPainter& painter, const QRectF& area)>;

    TReportPages(const TReportDocument& document, TDrawChart drawChart);

    // Lays the document out for the painter's device, an A4 page without margins.
    void Layout(QPainter& painter);
    int PageCount() const { return int(FPages.size()); }
    void PaintPage(QPainter& painter, int page) const;

private:
    enum class TFontRole : quint8 { Title, Subtitle, Heading, Label, Value, Fixed, Caption, TableHead, Cell, Note, Footer };
    struct TItem
    {
        enum class TKind : quint8 { Text, Line, Fill, Chart };
        TKind kind = TKind::Text;
        QRectF rect;
        QString text;
        TFontRole font = TFontRole::Value;
        int flags = 0;
        QColor colour;
        double lineWidth = 0; // Line
    };
    using TPage = std::vector<TItem>;

    class TFlow;
    void layoutSection(TFlow& flow, const TReportSection& section) const;
    void layoutFields(TFlow& flow, const TReportBlock& block) const;
    void layoutTable(TFlow& flow, const TReportBlock& block) const;
    void layoutNote(TFlow& flow, const TReportBlock& block) const;
    void layoutChart(TFlow& flow, const TReportBlock& block) const;
    void addFooters();

    QFont font(TFontRole role) const;

    const TReportDocument& FDocument;
    TDrawChart FDrawChart;
    double FUnit = 1; // device units per point
    QRectF FPageRect, FContent;
    std::vector<TPage> FPages;
};

} // namespace quentry
