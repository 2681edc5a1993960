#pragma once
// How long the event loop was kept from running: a precise 10 ms timer notes the time of
// every tick, and the longest gap between two ticks is the longest the window could not
// have answered a click or repainted.
#include <QElapsedTimer>
#include <QList>
#include <QTimer>
#include <functional>

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

// One measured operation: how long it took and how long the event loop waited at most.
struct TFigure
{
    const char* what;
    double elapsedMs, longestGapMs;
    int ticks, longGaps;
};

// Runs the operation under a probe.
TFigure measure(const char* what, const std::function<void()>& run);

// The figures as a table on standard output.
void printFigures(const QList<TFigure>& figures);

} // namespace quentry::bench
