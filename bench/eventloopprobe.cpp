#include "eventloopprobe.h"

#include <cstdio>

namespace quentry::bench {

TEventLoopProbe::TEventLoopProbe(int intervalMs)
{
    FTimer.setTimerType(Qt::PreciseTimer);
    FTimer.setInterval(intervalMs);
    QObject::connect(&FTimer, &QTimer::timeout, [this] { tick(); });
}

void TEventLoopProbe::start()
{
    FLongestNs = FElapsedNs = 0;
    FTicks = FLongGaps = 0;
    FClock.start();
    FLastNs = 0;
    FTimer.start();
}

void TEventLoopProbe::stop()
{
    tick(); // the stretch since the last tick counts as a gap too
    FTimer.stop();
    FElapsedNs = FClock.nsecsElapsed();
}

void TEventLoopProbe::tick()
{
    const qint64 now = FClock.nsecsElapsed();
    const qint64 gap = now - FLastNs;
    FLastNs = now;
    ++FTicks;
    if (gap > FLongestNs) FLongestNs = gap;
    if (gap > 100'000'000) ++FLongGaps;
}

TFigure measure(const char* what, const std::function<void()>& run)
{
    TEventLoopProbe probe;
    probe.start();
    run();
    probe.stop();
    return {what, probe.elapsedMs(), probe.longestGapMs(), probe.ticks(), probe.longGaps()};
}

void printFigures(const QList<TFigure>& figures)
{
    std::printf("%-44s %10s %14s %7s %12s\n", "operation", "total ms", "longest gap ms", "ticks",
                "gaps >100ms");
    for (const TFigure& f : figures)
        std::printf("%-44s %10.1f %14.1f %7d %12d\n", f.what, f.elapsedMs, f.longestGapMs, f.ticks,
                    f.longGaps);
}

} // namespace quentry::bench
