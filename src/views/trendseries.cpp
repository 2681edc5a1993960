#include "trendseries.h"

#include "rowgaps.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quentry {
namespace {

constexpr int kProgressStep = 100;
constexpr double kGrowth = 1.01;
constexpr double kBreak = std::numeric_limits<double>::quiet_NaN();

int sourceRow(const TLogFilterProxy& proxy, int proxyRow)
{
    return proxy.mapToSource(proxy.index(proxyRow, 0)).row();
}

void moveProgress(TProgress* progress, int position)
{
    if (progress && position % kProgressStep == 0) progress->setPosition(position);
}

} // namespace

int FirstPassingPosition(const TLogFilterProxy& proxy)
{
    return proxy.rowCount() > 0 ? sourceRow(proxy, 0) + 1 : 0;
}

int LastPassingPosition(const TLogFilterProxy& proxy)
{
    return proxy.rowCount() > 0 ? sourceRow(proxy, proxy.rowCount() - 1) + 1 : 0;
}

int NearestPassingRow(const TLogFilterProxy& proxy, int n)
{
    const int count = proxy.rowCount();
    if (count == 0) return -1;
    // Proxy rows keep table order, so positions rise with the proxy row.
    int lo = 0, hi = count - 1;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (sourceRow(proxy, mid) + 1 < n) lo = mid + 1;
        else hi = mid;
    }
    if (lo > 0) {
        const int above = sourceRow(proxy, lo) + 1, below = sourceRow(proxy, lo - 1) + 1;
        if (n - below <= above - n) return lo - 1;
    }
    return lo;
}

std::vector<int> FindGapBreaks(const TLogTableModel& model)
{
    const std::vector<TRowStamp> stamps = RowStamps(model);
    std::vector<int> breaks;
    for (const TRowGap& g : FindRowGaps(stamps, UsualSpacingSeconds(stamps))) breaks.push_back(g.afterRow + 1);
    return breaks;
}

void TTrendSeries::breakIfMissing(TTrendPoints& points, int from, int to) const
{
    if (from <= 0) return;
    const auto at = std::lower_bound(FBreaks.begin(), FBreaks.end(), from);
    if (at == FBreaks.end() || *at >= to) return;
    points.x.append(*at + 0.5);
    points.y.append(kBreak);
}

bool TTrendSeries::HasPointAt(int position) const
{
    return position >= 1 && std::size_t(position) <= FHasPoint.size() && FHasPoint[std::size_t(position - 1)];
}

void TTrendSeries::clearRight(const TLogTableModel* model)
{
    Right.clear();
    if (model) {
        FHasPoint.assign(std::size_t(model->RecordCount()), false);
        for (int i = 0; i < PV.size(); ++i)
            if (!std::isnan(PV.y[i])) FHasPoint[std::size_t(PV.x[i]) - 1] = true;
    }
}

bool TTrendSeries::RefreshChartLeft(const TLogFilterProxy& proxy, TRightAxis choice, TTrendFlags& flags,
                                    TProgress* progress)
{
    const TLogTableModel* model = proxy.LogModel();
    PV.clear();
    Echo.clear();
    Right.clear();
    FHasPoint.assign(model ? std::size_t(model->RecordCount()) : 0, false);
    Axes.LeftMin = 0.0;
    Axes.LeftMax = 3.0;
    const int passing = model ? proxy.rowCount() : 0;
    const bool withRight = flags.Any();
    FBreaks = model ? FindGapBreaks(*model) : std::vector<int>();
    FirstRecIndex = 0;
    bool any = passing > 0;
    if (any) {
        FirstRecIndex = model->Record(sourceRow(proxy, 0)).recindex;
        Axes.BottomMin = FirstPassingPosition(proxy);
        Axes.BottomMax = LastPassingPosition(proxy);
        PV.x.reserve(passing);
        PV.y.reserve(passing);
        int previous = 0;
        for (int r = 0; r < passing; ++r) {
            const int row = sourceRow(proxy, r);
            const int position = row + 1;
            const TLogRecord& rec = model->Record(row);
            breakIfMissing(PV, previous, position);
            if (withRight && choice != TRightAxis::None) breakIfMissing(Right, previous, position);
            previous = position;
            if (rec.PV > Axes.LeftMax / kGrowth) Axes.LeftMax = rec.PV * kGrowth;
            PV.x.append(position);
            PV.y.append(rec.PV);
            FHasPoint[std::size_t(row)] = true;
            if (rec.error & 0x0001) {
                Echo.x.append(position);
                Echo.y.append(rec.PV);
            }
            moveProgress(progress, position);
            if (withRight) AddRightPoint(position, rec, choice);
        }
    }
    flags.EventCodeFilterChanged = false;
    flags.ErrorFilterMaskChanged = false;
    if (flags.IsTrendValid) {
        flags.LastRightAxisIndex = int(choice);
        flags.IsTrendValid = false;
    }
    return any;
}

void TTrendSeries::AddRightPoint(int position, const TLogRecord& r, TRightAxis choice)
{
    RightActive = true;
    Axes.RightVisible = true;
    double value = 0.0;
    switch (choice) {
    case TRightAxis::None:
        Axes.RightTitle.clear();
        RightSeriesTitle.clear();
        Axes.RightVisible = false;
        RightActive = false;
        return;
    case TRightAxis::Level:
    case TRightAxis::Distance:
        Axes.RightTitle = RightSeriesTitle = choice == TRightAxis::Level ? QStringLiteral("LEVEL") : QStringLiteral("DIST");
        value = choice == TRightAxis::Level ? r.LEV : r.DIST;
        Axes.RightMin = 0.0;
        if (value > Axes.RightMax / kGrowth) Axes.RightMax = value * kGrowth;
        break;
    case TRightAxis::OutputCurrent:
        Axes.RightTitle = QStringLiteral("Output Current");
        RightSeriesTitle = QStringLiteral("Current");
        value = r.current;
        Axes.RightMin = 0.0;
        Axes.RightMax = 23.0;
        break;
    case TRightAxis::Temperature:
        Axes.RightTitle = QStringLiteral("Sensor Temperature");
        RightSeriesTitle = QStringLiteral("Temperature");
        value = r.temp;
        Axes.RightMin = -50.0;
        Axes.RightMax = 150.0;
        break;
    }
    Right.x.append(position);
    Right.y.append(value);
    if (position >= 1 && std::size_t(position) <= FHasPoint.size()) FHasPoint[std::size_t(position - 1)] = true;
}

void TTrendSeries::RefreshChartRight(const TLogTableModel& model, TRightAxis choice, TProgress* progress)
{
    clearRight(&model);
    Axes.RightMin = 0.0;
    Axes.RightMax = 0.1;
    const int rows = model.RecordCount();
    FBreaks = FindGapBreaks(model);
    Right.x.reserve(rows);
    Right.y.reserve(rows);
    for (int row = 0; row < rows; ++row) {
        if (choice != TRightAxis::None) breakIfMissing(Right, row, row + 1);
        AddRightPoint(row + 1, model.Record(row), choice);
        moveProgress(progress, row + 1);
    }
    if (rows == 0 && choice == TRightAxis::None) {
        Axes.RightVisible = false;
        RightActive = false;
    }
}

} // namespace quentry
