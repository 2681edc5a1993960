#include "reportchart.h"

#include "rowgaps.h"
#include "trendchart.h"


namespace quentry {
namespace {

// The chart is laid out this wide (in screen pixels) and scaled to the page.
constexpr int kDesignWidth = 1000;
const QColor kTemperatureColour(0xd9, 0x6c, 0x00); // prints darker than the window's lime
constexpr int kMostMarkedRows = 300;

} // namespace

TReportChart::TReportChart(std::span<const THART_PAS_LOG_Row> rows)
{
    std::vector<TLogRecord> records;
    records.reserve(rows.size());
    for (const THART_PAS_LOG_Row& r : rows) records.push_back(LogRecordFromRow(r));
    FModel.SetRecords(std::move(records));
    FProxy.setSourceModel(&FModel);
    // Rows without values or time (failed checks, stamps out of range) are left out; the
    // positions of the others stay those of the whole run.
    FProxy.SetRecordFilter([](const TLogRecord& r, int) {
        return r.event != kChecksumErrorEvent && IsLoggerStamp(r.recdatetim);
    });
}

TReportChart::~TReportChart() = default;

const TTrendSeries& TReportChart::Series()
{
    Build();
    return FSeries;
}

void TReportChart::Build()
{
    if (FChart) return;
    TTrendFlags flags;
    flags.IsTrendValid = true; // the right axis is drawn with the left one
    FSeries.RefreshChartLeft(FProxy, TRightAxis::Temperature, flags);

    FChart = std::make_unique<TTrendChart>();
    FChart->SetRecordSource([this](int position) -> const TLogRecord* {
        return position >= 1 && position <= FModel.RecordCount() ? &FModel.Record(position - 1) : nullptr;
    });
    FChart->SetRightColour(kTemperatureColour);
    // Marks on every row only while they stand apart on the page; over thousands of rows
    // they merge into a thick line and make the file heavy.
    if (FSeries.PV.size() > kMostMarkedRows) {
        FChart->PVSeries()->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
        FChart->RightSeries()->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    }
    FChart->ShowSeries(FSeries);
    FChart->SetBottomRange(FSeries.Axes.BottomMin, FSeries.Axes.BottomMax);
    FChart->SetLegendAtBottom(true);
}

void TReportChart::Paint(QCPPainter& painter, const QRectF& area)
{
    if (area.isEmpty()) return;
    Build();
    const int w = kDesignWidth, h = int(kDesignWidth * area.height() / area.width());
    painter.save();
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    // Lines one chart pixel wide, scaled with the chart, not hairlines of the printer.
    painter.setMode(QCPPainter::pmNonCosmetic);
    painter.translate(area.topLeft());
    painter.scale(area.width() / w, area.height() / h);
    FChart->toPainter(&painter, w, h);
    painter.restore();
}

} // namespace quentry
