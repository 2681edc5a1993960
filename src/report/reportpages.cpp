#include "reportpages.h"

#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

namespace quentry {
namespace {

// Page geometry and spacing in points (1/72 inch) on A4.
constexpr double kPageWidth = 595.28, kPageHeight = 841.89;
constexpr double kMarginLeft = 50, kMarginRight = 50, kMarginTop = 46, kMarginBottom = 54;
constexpr double kFooterGap = 18;      // footer text below the content area
constexpr double kHeadingBefore = 14, kHeadingAfter = 5;
constexpr double kBlockGap = 7;
constexpr double kFieldGap = 2.2;
constexpr double kLabelColumnMax = 150;
constexpr double kCellPadX = 3.5, kCellPadY = 1.6;
constexpr double kChartAspect = 0.75; // height / width
constexpr double kMinWrapColumn = 90;
constexpr double kWholeTableShare = 0.3; // tables up to this share of a page are kept on one

const QString kFamily = QStringLiteral("DejaVu Sans");
const QString kFixedFamily = QStringLiteral("DejaVu Sans Mono");
const QColor kInk(0x1a, 0x1a, 0x1a);
const QColor kMuted(0x55, 0x5b, 0x63);
const QColor kAccent(0x1f, 0x3a, 0x5f);
const QColor kRule(0xc8, 0xce, 0xd6);
const QColor kHeadFill(0xe6, 0xeb, 0xf1);

int wrapFlags(const QString& text)
{
    // A word longer than its column (a checksum) may break anywhere; text breaks between words.
    return text.contains(QLatin1Char(' ')) ? int(Qt::TextWordWrap) : int(Qt::TextWrapAnywhere);
}

} // namespace

// Where the next item goes: the page being filled and the height used on it.
class TReportPages::TFlow
{
public:
    TFlow(const TReportPages& owner, QPainter& painter, std::vector<TPage>& pages)
        : FOwner(owner), FPainter(painter), FPages(pages)
    {
    }

    double pt(double points) const { return points * FOwner.FUnit; }
    const QRectF& content() const { return FOwner.FContent; }
    double y() const { return FY; }
    void advance(double h) { FY += h; }
    bool atTop() const { return FY <= content().top() + 0.5; }
    double room() const { return content().bottom() - FY; }

    double height(TFontRole role, const QString& text, double width, int flags) const
    {
        FPainter.setFont(FOwner.font(role));
        return FPainter.boundingRect(QRectF(0, 0, width, 1e7), flags, text).height();
    }
    double width(TFontRole role, const QString& text) const
    {
        FPainter.setFont(FOwner.font(role));
        return FPainter.boundingRect(QRectF(0, 0, 1e7, 1e7), 0, text).width();
    }

    void newPage()
    {
        FPages.emplace_back();
        FY = content().top();
        if (FPages.size() > 1) {
            // A running head: which report this page belongs to.
            const double h = height(TFontRole::Footer, FOwner.FDocument.title, content().width(), 0);
            const QRectF head(content().left(), content().top() - pt(kMarginTop / 2) - h / 2, content().width(), h);
            QString text = FOwner.FDocument.title;
            if (!FOwner.FDocument.subtitle.isEmpty()) text += QStringLiteral(" \u2014 ") + FOwner.FDocument.subtitle;
            add({TItem::TKind::Text, head, text, TFontRole::Footer, int(Qt::AlignLeft | Qt::AlignVCenter), kMuted});
        }
    }
    // Starts a new page unless h fits below; an item taller than a page goes where it is.
    void ensure(double h)
    {
        if (h > room() && !atTop()) newPage();
    }
    void add(TItem item) { FPages.back().push_back(std::move(item)); }
    void text(const QRectF& r, const QString& s, TFontRole role, int flags, const QColor& colour = kInk)
    {
        add({TItem::TKind::Text, r, s, role, flags, colour});
    }
    void rule(double y, double x0, double x1, double width, const QColor& colour)
    {
        add({TItem::TKind::Line, QRectF(QPointF(x0, y), QPointF(x1, y)), QString(), TFontRole::Value, 0, colour, width});
    }

private:
    const TReportPages& FOwner;
    QPainter& FPainter;
    std::vector<TPage>& FPages;
    double FY = 0;
};

TReportPages::TReportPages(const TReportDocument& document, TDrawChart drawChart)
    : FDocument(document), FDrawChart(std::move(drawChart))
{
}

QFont TReportPages::font(TFontRole role) const
{
    struct TSpec { double points; bool bold; bool italic; bool fixed; };
    static const TSpec specs[] = {
        {18, true, false, false},  // Title
        {10, false, false, false}, // Subtitle
        {12, true, false, false},  // Heading
        {8.8, false, false, false}, // Label
        {8.8, false, false, false}, // Value
        {8.2, false, false, true}, // Fixed
        {8.8, true, false, false}, // Caption
        {7.6, true, false, false}, // TableHead
        {7.6, false, false, false}, // Cell
        {7.4, false, true, false}, // Note
        {7.2, false, false, false}, // Footer
    };
    const TSpec& s = specs[int(role)];
    QFont f(s.fixed ? kFixedFamily : kFamily);
    // No ligatures: "fi" stays two letters for text search and copying.
    f.setStyleHint(s.fixed ? QFont::TypeWriter : QFont::SansSerif, QFont::PreferNoShaping);
    f.setPointSizeF(s.points);
    f.setBold(s.bold);
    f.setItalic(s.italic);
    return f;
}

void TReportPages::Layout(QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    FUnit = double(device->logicalDpiX()) / 72.0;
    FPageRect = QRectF(0, 0, kPageWidth * FUnit, kPageHeight * FUnit);
    FContent = QRectF(QPointF(kMarginLeft * FUnit, kMarginTop * FUnit),
                      QPointF((kPageWidth - kMarginRight) * FUnit, (kPageHeight - kMarginBottom) * FUnit));
    FPages.clear();
    TFlow flow(*this, painter, FPages);
    flow.newPage();

    const double w = FContent.width();
    const double titleH = flow.height(TFontRole::Title, FDocument.title, w, 0);
    flow.text(QRectF(FContent.left(), flow.y(), w, titleH), FDocument.title, TFontRole::Title, Qt::AlignLeft, kAccent);
    flow.advance(titleH + flow.pt(2));
    if (!FDocument.subtitle.isEmpty()) {
        const double h = flow.height(TFontRole::Subtitle, FDocument.subtitle, w, Qt::TextWordWrap);
        flow.text(QRectF(FContent.left(), flow.y(), w, h), FDocument.subtitle, TFontRole::Subtitle,
                  Qt::AlignLeft | Qt::TextWordWrap, kMuted);
        flow.advance(h);
    }
    flow.advance(flow.pt(4));
    flow.rule(flow.y(), FContent.left(), FContent.right(), flow.pt(1.2), kAccent);
    flow.advance(flow.pt(2));

    for (const TReportSection& s : FDocument.sections) layoutSection(flow, s);
    addFooters();
}

void TReportPages::layoutSection(TFlow& flow, const TReportSection& section) const
{
    const double w = FContent.width();
    const double h = flow.height(TFontRole::Heading, section.title, w, 0);
    // The heading stays with the start of what follows it.
    flow.ensure(flow.pt(kHeadingBefore) + h + flow.pt(kHeadingAfter) + flow.pt(60));
    if (!flow.atTop()) flow.advance(flow.pt(kHeadingBefore));
    flow.text(QRectF(FContent.left(), flow.y(), w, h), section.title, TFontRole::Heading, Qt::AlignLeft, kAccent);
    flow.advance(h + flow.pt(1.5));
    flow.rule(flow.y(), FContent.left(), FContent.right(), flow.pt(0.5), kRule);
    flow.advance(flow.pt(kHeadingAfter));
    bool first = true;
    for (const TReportBlock& b : section.blocks) {
        if (!first) flow.advance(flow.pt(kBlockGap));
        first = false;
        switch (b.kind) {
        case TReportBlock::TKind::Fields: layoutFields(flow, b); break;
        case TReportBlock::TKind::Table: layoutTable(flow, b); break;
        case TReportBlock::TKind::Note: layoutNote(flow, b); break;
        case TReportBlock::TKind::Chart: layoutChart(flow, b); break;
        }
    }
}

void TReportPages::layoutFields(TFlow& flow, const TReportBlock& block) const
{
    double labelW = 0;
    for (const TReportField& f : block.fields) labelW = std::max(labelW, flow.width(TFontRole::Label, f.label));
    labelW = std::min(labelW + flow.pt(12), flow.pt(kLabelColumnMax));
    const double valueX = FContent.left() + labelW, valueW = FContent.right() - valueX;
    for (const TReportField& f : block.fields) {
        const TFontRole role = f.fixedPitch ? TFontRole::Fixed : TFontRole::Value;
        const int flags = wrapFlags(f.value);
        const double lh = flow.height(TFontRole::Label, f.label, labelW - flow.pt(8), Qt::TextWordWrap);
        const double vh = flow.height(role, f.value, valueW, flags);
        const double h = std::max(lh, vh);
        flow.ensure(h);
        flow.text(QRectF(FContent.left(), flow.y(), labelW - flow.pt(8), h), f.label, TFontRole::Label,
                  int(Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap), kMuted);
        flow.text(QRectF(valueX, flow.y(), valueW, h), f.value, role, int(Qt::AlignLeft | Qt::AlignTop) | flags);
        flow.advance(h + flow.pt(kFieldGap));
    }
}

void TReportPages::layoutTable(TFlow& flow, const TReportBlock& block) const
{
    const TReportTable& t = block.table;
    const int columns = int(t.header.size());
    if (columns == 0) return;
    const double padX = flow.pt(kCellPadX), padY = flow.pt(kCellPadY);

    // Natural widths: the widest heading line or cell of each column.
    std::vector<double> widths(std::size_t(columns), 0.0);
    for (int c = 0; c < columns; ++c) {
        for (const QString& line : t.header[c].split(QLatin1Char('\n')))
            widths[std::size_t(c)] = std::max(widths[std::size_t(c)], flow.width(TFontRole::TableHead, line));
        for (const QStringList& row : t.rows)
            if (c < row.size()) widths[std::size_t(c)] = std::max(widths[std::size_t(c)], flow.width(TFontRole::Cell, row[c]));
        widths[std::size_t(c)] += 2 * padX;
    }
    const double available = FContent.width();
    double total = 0;
    for (double w : widths) total += w;
    if (t.wrapColumn >= 0 && t.wrapColumn < columns) {
        // The wrapping column takes what the others leave, so the table spans the page.
        const double others = total - widths[std::size_t(t.wrapColumn)];
        widths[std::size_t(t.wrapColumn)] = std::max(available - others, flow.pt(kMinWrapColumn));
    }
    total = 0;
    for (double w : widths) total += w;
    if (total > available)
        for (double& w : widths) w *= available / total;

    std::vector<double> lefts(std::size_t(columns), FContent.left());
    for (int c = 1; c < columns; ++c) lefts[std::size_t(c)] = lefts[std::size_t(c - 1)] + widths[std::size_t(c - 1)];
    const double right = lefts.back() + widths.back();
    auto cellFlags = [&](int c) {
        const bool r = c < int(t.rightAligned.size()) && t.rightAligned[std::size_t(c)];
        return int((r ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop | Qt::TextWordWrap);
    };
    auto rowHeight = [&](const QStringList& cells, TFontRole role) {
        double h = 0;
        for (int c = 0; c < columns && c < cells.size(); ++c)
            h = std::max(h, flow.height(role, cells[c], widths[std::size_t(c)] - 2 * padX, cellFlags(c)));
        return h + 2 * padY;
    };
    const double headH = rowHeight(t.header, TFontRole::TableHead);
    auto paintHead = [&] {
        flow.add({TItem::TKind::Fill, QRectF(FContent.left(), flow.y(), right - FContent.left(), headH), QString(),
                  TFontRole::TableHead, 0, kHeadFill});
        for (int c = 0; c < columns; ++c)
            flow.text(QRectF(lefts[std::size_t(c)] + padX, flow.y() + padY, widths[std::size_t(c)] - 2 * padX,
                             headH - 2 * padY),
                      t.header[c], TFontRole::TableHead, int(cellFlags(c) & ~Qt::AlignTop) | Qt::AlignBottom);
        flow.advance(headH);
    };

    double captionH = 0;
    if (!block.text.isEmpty()) captionH = flow.height(TFontRole::Caption, block.text, FContent.width(), 0) + flow.pt(3);
    std::vector<double> heights;
    double whole = captionH + headH;
    for (const QStringList& row : t.rows) whole += heights.emplace_back(rowHeight(row, TFontRole::Cell));
    // A short table is not split; a long one starts where its heading and first row fit.
    if (whole <= FContent.height() * kWholeTableShare) flow.ensure(whole);
    else flow.ensure(captionH + headH + (heights.empty() ? 0 : heights.front()));
    if (captionH > 0) {
        flow.text(QRectF(FContent.left(), flow.y(), FContent.width(), captionH), block.text, TFontRole::Caption,
                  Qt::AlignLeft | Qt::AlignTop);
        flow.advance(captionH);
    }
    paintHead();
    for (std::size_t r = 0; r < t.rows.size(); ++r) {
        const QStringList& row = t.rows[r];
        const double h = heights[r];
        if (h > flow.room()) {
            flow.newPage();
            paintHead();
        }
        for (int c = 0; c < columns && c < row.size(); ++c)
            flow.text(QRectF(lefts[std::size_t(c)] + padX, flow.y() + padY, widths[std::size_t(c)] - 2 * padX,
                             h - 2 * padY),
                      row[c], TFontRole::Cell, cellFlags(c));
        flow.advance(h);
        flow.rule(flow.y(), FContent.left(), right, flow.pt(0.35), kRule);
    }
}

void TReportPages::layoutNote(TFlow& flow, const TReportBlock& block) const
{
    const double h = flow.height(TFontRole::Note, block.text, FContent.width(), Qt::TextWordWrap);
    flow.ensure(h);
    flow.text(QRectF(FContent.left(), flow.y(), FContent.width(), h), block.text, TFontRole::Note,
              Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, kMuted);
    flow.advance(h);
}

void TReportPages::layoutChart(TFlow& flow, const TReportBlock& block) const
{
    const double w = FContent.width();
    const double captionH = flow.height(TFontRole::Note, block.text, w, Qt::TextWordWrap);
    const double chartH = w * kChartAspect;
    flow.ensure(captionH + flow.pt(4) + chartH);
    flow.text(QRectF(FContent.left(), flow.y(), w, captionH), block.text, TFontRole::Note,
              Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, kMuted);
    flow.advance(captionH + flow.pt(4));
    flow.add({TItem::TKind::Chart, QRectF(FContent.left(), flow.y(), w, chartH), QString(), TFontRole::Value, 0, {}});
    flow.advance(chartH);
}

void TReportPages::addFooters()
{
    const int count = PageCount();
    const QString left = QStringLiteral("%1 \u00b7 service report made %2").arg(FDocument.program, FDocument.madeText());
    const double y = FContent.bottom() + kFooterGap * FUnit;
    const double h = 12 * FUnit;
    for (int i = 0; i < count; ++i) {
        TPage& page = FPages[std::size_t(i)];
        const double ruleY = y - 3 * FUnit;
        page.push_back({TItem::TKind::Line, QRectF(QPointF(FContent.left(), ruleY), QPointF(FContent.right(), ruleY)),
                        QString(), TFontRole::Footer, 0, kRule, 0.35 * FUnit});
        page.push_back({TItem::TKind::Text, QRectF(FContent.left(), y, FContent.width(), h), left, TFontRole::Footer,
                        int(Qt::AlignLeft | Qt::AlignTop), kMuted});
        page.push_back({TItem::TKind::Text, QRectF(FContent.left(), y, FContent.width(), h),
                        QStringLiteral("Page %1 of %2").arg(i + 1).arg(count), TFontRole::Footer,
                        int(Qt::AlignRight | Qt::AlignTop), kMuted});
    }
}

void TReportPages::PaintPage(QPainter& painter, int page) const
{
    if (page < 0 || page >= PageCount()) return;
    for (const TItem& item : FPages[std::size_t(page)]) {
        switch (item.kind) {
        case TItem::TKind::Text:
            painter.setFont(font(item.font));
            painter.setPen(item.colour.isValid() ? item.colour : kInk);
            painter.drawText(item.rect, item.flags, item.text);
            break;
        case TItem::TKind::Line:
            painter.setPen(QPen(item.colour, item.lineWidth));
            painter.drawLine(item.rect.topLeft(), item.rect.bottomRight());
            break;
        case TItem::TKind::Fill: painter.fillRect(item.rect, item.colour); break;
        case TItem::TKind::Chart:
            if (FDrawChart) {
                painter.save();
                FDrawChart(painter, item.rect);
                painter.restore();
            }
            break;
        }
    }
}

} // namespace quentry
