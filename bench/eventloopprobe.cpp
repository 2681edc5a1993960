#include "eventloopprobe.h"

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

} // namespace quentry::bench
