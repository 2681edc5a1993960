#pragma once
// How long the event loop was kept from running: a precise 10 ms timer notes the time of
// every tick, and the longest gap between two ticks is the longest the window could not
// have answered a click or repainted.
#include <QElapsedTimer>
#include <QTimer>

namespace quentry::bench {

class TEventLoopProbe
{
public:
    explicit TEventLoopProbe(int intervalMs = 10);

    void start();
    void stop();

    double longestGapMs() const { return double(FLongestNs) / 1e6; }
    double elapsedMs() const { return double(FElapsedNs) / 1e6; }
    int ticks() const { return FTicks; }
    // Gaps above 100 ms: a person notices those as a frozen window.
    int longGaps() const { return FLongGaps; }

private:
    void tick();

    QTimer FTimer;
    QElapsedTimer FClock;
    qint64 FLastNs = 0;
    qint64 FLongestNs = 0;
    qint64 FElapsedNs = 0;
    int FTicks = 0;
    int FLongGaps = 0;
};

} // namespace quentry::bench
