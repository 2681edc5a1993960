// The post-processing windows with a full image (12 288 rows), shown offscreen unless a
// platform is given:
//  - trend: RefreshChartLeft plus the chart's paint with every row passing (and its two
//    parts alone); filter changes: the date range narrowed and widened again (no rebuild),
//    an error item toggled (the series rebuilt); "Reset";
//  - simulator: 12 288 rows generated and shown in the grid, and the window's render on show.
// Each figure is the median of several runs, with the fastest and slowest, and the longest
// the event loop stood still during any of them (a 10 ms probe timer).
//   bench_views [runs]
#include "eventloopprobe.h"
#include "logsimulator.h"
#include "logtable.h"
#include "messageservice.h"
#include "simuform.h"
#include "trendchart.h"
#include "trendform.h"
#include "waiting.h"

#include <QApplication>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTimeEdit>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace quentry;

namespace {

struct TFigure
{
    const char* what;
    double medianMs, minMs, maxMs, longestGapMs;
};

// Runs step `runs` times (prepare untimed before each) and keeps the timings; the probe
// notes the longest stall of the event loop over all timed runs.
TFigure measure(const char* what, int runs, const std::function<void()>& step,
                const std::function<void()>& prepare = {})
{
    std::vector<double> ms;
    double longest = 0;
    for (int i = 0; i < runs; ++i) {
        if (prepare) prepare();
        ProcessPendingEvents();
        bench::TEventLoopProbe probe;
        probe.start();
        QElapsedTimer t;
        t.start();
        step();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
        probe.stop();
        longest = std::max(longest, probe.longestGapMs());
    }
    std::sort(ms.begin(), ms.end());
    return {what, ms[ms.size() / 2], ms.front(), ms.back(), longest};
}

// The chart redraws once the event loop runs (queued replot), then shows the result.
void paintChart(TTrendForm& trend)
{
    ProcessPendingEvents();
    trend.Chart().repaint();
}

template <class T> T* Child(QWidget& parent, const char* name)
{
    return parent.findChild<T*>(QString::fromLatin1(name));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    TMessageService service;
    service.setScripted(true);

    // A full generated image with a lost echo now and then.
    TLogStore store(&service);
    TSimulationInputs in;
    in.StartDate = QDate(2020, 3, 1);
    store.SetLogCount(TLogSimulator(in).Generate(store.LogRows()));
    for (int i = 5; i < store.LogCount(); i += 37) store.Row(i).es.error |= 0x0001;
    TLogTable table;
    TOperationContext context;
    table.ConvertToTable(store, context);
    const int rows = table.Model().RecordCount();

    QList<TFigure> figures;
    TTrendForm trend(service, false);
    trend.SetDataSet(&table.Model());
    figures << measure("trend: first show (Reset, chart, paint)", 1, [&] {
        trend.show();
        paintChart(trend);
    });
    figures << measure("trend: RefreshChartLeft + paint, all pass", runs, [&] {
        trend.RefreshChartLeft();
        paintChart(trend);
    });
    figures << measure("trend: series rebuild alone (no drawing)", runs, [&] {
        TTrendSeries series;
        TTrendFlags flags;
        series.RefreshChartLeft(*trend.Proxy(), TRightAxis::None, flags);
    });
    figures << measure("trend: chart replot alone", runs, [&] { trend.Chart().replot(); });
    auto* endTime = Child<QTimeEdit>(trend, "EndTime");
    auto* endDate = Child<QDateEdit>(trend, "EndDate");
    const QDate lastDate = endDate->date();
    const QTime lastTime = endTime->time();
    auto setEnd = [&](bool narrow) {
        endDate->setDate(narrow ? QDate(2020, 3, 3) : lastDate);
        endTime->setTime(narrow ? QTime(12, 0) : lastTime);
    };
    auto whole = [&] {
        setEnd(false);
        trend.ApplyFilter();
        paintChart(trend);
    };
    figures << measure("trend: date range narrowed (2 of 43 days)", runs, [&] {
        setEnd(true);
        trend.ApplyFilter();
        paintChart(trend);
    }, whole);
    figures << measure("trend: date range back to the whole log", runs, [&] {
        setEnd(false);
        trend.ApplyFilter();
        paintChart(trend);
    }, [&] {
        setEnd(true);
        trend.ApplyFilter();
        paintChart(trend);
    });
    endDate->setDate(lastDate);
    endTime->setTime(lastTime);
    trend.ApplyFilter();
    QListWidgetItem* noEcho = Child<QListWidget>(trend, "JvxCheckListBoxErrorWarning")->item(0);
    figures << measure("trend: error item toggled (series rebuilt)", runs, [&] {
        noEcho->setCheckState(noEcho->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        trend.ApplyFilter();
        paintChart(trend);
    });
    figures << measure("trend: Reset button", runs, [&] {
        Child<QPushButton>(trend, "ButtonResetFilter")->click();
        paintChart(trend);
    });
    const int passing = trend.Proxy()->rowCount();
    trend.hide();

    TLogStore simStore(&service);
    TSimuForm simulator(service, simStore);
    simulator.SetInputs(in);
    simulator.show();
    ProcessPendingEvents();
    figures << measure("simulator: Generate 12288 rows, grid shown", runs, [&] {
        Child<QPushButton>(simulator, "ButtonGenerate")->click();
        simulator.GridView().viewport()->repaint();
    });
    const int generated = simulator.LOGIndex;
    simulator.reject();
    figures << measure("simulator: show with 12288 rows (Render)", runs, [&] {
        simulator.show();
        simulator.repaint();
    }, [&] { simulator.hide(); });
    simulator.reject();

    std::printf("Post-processing windows, %d rows in the table (%d passing after Reset), %d generated; %d runs\n",
                rows, passing, generated, runs);
    std::printf("%-46s %10s %8s %8s %16s\n", "operation", "median ms", "min ms", "max ms", "longest stall ms");
    for (const TFigure& f : figures)
        std::printf("%-46s %10.1f %8.1f %8.1f %16.1f\n", f.what, f.medianMs, f.minMs, f.maxMs, f.longestGapMs);
    return rows == 12288 && passing == 12288 && generated == 12288 ? 0 : 2;
}
