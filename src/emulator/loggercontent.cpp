#include "loggercontent.h"

#include "loggerrow.h"
#include "rng.h"

#include <QDate>
#include <algorithm>
#include <cmath>

namespace quentry::emulator {
namespace {

constexpr int kCycleMinutes = 5;
constexpr double kTwoPi = 6.283185307179586;
constexpr quint8 kSensorIndex = 3;

// Event codes of the rows.
constexpr quint8 evClr = 1, evOff = 3, evPowerOn = 5, evScheduled = 7, evErrorChanged = 18, evLogOpen = 38,
                 evLogClose = 39;
constexpr quint16 stFlowMode = 5, stPvValid = 1 << 14;
constexpr quint16 errNoEcho = 1 << 0;

// Minutes since 2001-01-01 00:00 of the last moment a stamp can hold, less a margin.
const qint64 kLastMinute = qint64(QDate(2001, 1, 1).daysTo(QDate(2021, 4, 28))) * 1440;

struct TStorm
{
    double start, peak, decay;
};

class TSite
{
public:
    explicit TSite(quint64 seed) : FSeed(seed)
    {
        TRandom r(seed ^ 0x5173);
        FPhaseDay = r.unit() * kTwoPi;
        FPhaseWeek = r.unit() * kTwoPi;
    }

    void planStorms(double from, double to)
    {
        TRandom r(FSeed ^ 0xA11);
        for (double t = from - 3 * 1440; t < to;) {
            t += r.between(1440, 7 * 1440);
            FStorms.push_back({t, 0.08 + 0.25 * r.unit(), 240.0 + 600.0 * r.unit()});
        }
    }

    double level(double t) const
    {
        double h = 0.14 + 0.05 * std::sin(kTwoPi * t / 1440.0 + FPhaseDay) +
                   0.02 * std::sin(kTwoPi * t / (7 * 1440.0) + FPhaseWeek);
        for (const TStorm& s : FStorms) {
            const double dt = t - s.start;
            if (dt < 0 || dt > 8 * s.decay) continue;
            // A quick rise over an hour, then a slow recession.
            h += s.peak * (dt < 60 ? dt / 60.0 : std::exp(-(dt - 60) / s.decay));
        }
        return std::clamp(h, 0.02, 0.9);
    }

private:
    quint64 FSeed;
    double FPhaseDay = 0, FPhaseWeek = 0;
    std::vector<TStorm> FStorms;
};

float flowOf(double level) { return float(1380.0 * std::pow(std::max(level, 0.0), 2.5)); } // l/s, 90 degree notch

double temperatureAt(double t)
{
    return 12.0 + 7.0 * std::sin(kTwoPi * (t / 1440.0 - 0.3)) + 5.0 * std::sin(kTwoPi * (t / 1440.0 - 100) / 365.0);
}

quint16 currentOf(float flow) { return quint16(std::lround((4.0 + 16.0 * std::min(flow / kFlowRange, 1.0f)) * 100)); }

void stamp(TLogRowValues& v, qint64 minutes)
{
    const QDate d = QDate(2001, 1, 1).addDays(minutes / 1440);
    v.year = d.year();
    v.month = d.month();
    v.day = d.day();
    v.hour = int(minutes % 1440) / 60;
    v.minute = int(minutes % 60);
}

} // namespace

TSiteValues SiteValuesAt(double minutes, quint64 seed)
{
    TSite site(seed);
    site.planStorms(minutes - 10 * 1440, minutes);
    const double h = site.level(minutes);
    const float q = flowOf(h);
    return {float(h), float(kSensorHeight - h), q, float(temperatureAt(minutes)), currentOf(q) / 100.0f};
}

namespace {

// Rows for writes firstWrite .. firstWrite + count - 1, the first of them stamped at minute
// t (from 2001-01-01) and planned storms up to `horizon`. With `fitBefore` the power cuts
// are kept short enough for every row to stay before the last stamp; without it the
// caller has made sure of that, so that the rows of a write never depend on how many follow.
std::vector<TLogRowBytes> generate(int count, quint32 firstWrite, TRandom& r, qint64 t, qint64 horizon, quint64 seed,
                                   bool fitBefore)
{
    std::vector<TLogRowBytes> rows;
    rows.reserve(size_t(count));
    TSite site(seed);
    site.planStorms(double(t), double(horizon));

    double tot1 = 12000.0 + r.between(0, 50000), tot2 = 100.0 + r.between(0, 900);
    int echoLostSlots = 0;     // scheduled rows still to come without echo
    bool echoEndPending = false;
    bool powerOnPending = false;
    bool logClosePending = false;
    float heldLevel = 0.14f;
    qint64 lastTotalised = t;

    for (int i = 0; i < count; ++i) {
        TLogRowValues v;
        const quint32 write = firstWrite + quint32(i);
        v.index = quint16(write);
        const int rowsLeft = count - i;

        // What happens next: an event inside the current cycle, or the next scheduled row.
        quint8 event = evScheduled;
        if (write == 0) {
            event = evClr;
        } else if (powerOnPending) {
            event = evPowerOn;
            powerOnPending = false;
            const qint64 outage = r.between(30, 600);
            if (!fitBefore || t + outage + qint64(rowsLeft) * kCycleMinutes < kLastMinute) t += outage;
        } else if (logClosePending) {
            event = evLogClose;
            logClosePending = false;
            t += r.between(1, 3);
        } else if (echoEndPending && echoLostSlots == 0) {
            event = evErrorChanged;
            echoEndPending = false;
            t += r.between(1, 4);
        } else if (echoLostSlots == 0 && !echoEndPending && r.chance(1.0 / 700)) {
            event = evErrorChanged; // the echo is lost from here
            echoLostSlots = r.between(3, 15);
            echoEndPending = true;
            t += r.between(1, 4);
        } else if (r.chance(1.0 / 4000)) {
            event = evOff;
            powerOnPending = true;
            t += r.between(0, 4);
        } else if (r.chance(1.0 / 3000)) {
            event = evLogOpen;
            logClosePending = true;
            t += r.between(0, 3);
        } else {
            t = (t / kCycleMinutes + 1) * kCycleMinutes;
            if (echoLostSlots > 0) --echoLostSlots;
        }
        v.event = event;
        stamp(v, t);

        const bool noEcho = echoEndPending; // from the row that reports the loss to the one that ends it
        double h = site.level(double(t));
        if (noEcho) h = heldLevel; // the transmitter holds the last value without echo
        else heldLevel = float(h);
        const float q = flowOf(h);
        const double seconds = double(t - lastTotalised) * 60.0;
        lastTotalised = t;
        tot1 += q * seconds / 1000.0;
        tot2 += q * seconds / 1000.0;

        v.level = float(h);
        v.distance = float(kSensorHeight - h);
        v.pv = q;
        v.tot1 = float(tot1);
        v.tot2 = float(tot2);
        v.temperatureTenths = quint16(std::lround(std::clamp(temperatureAt(double(t)), 0.0, 60.0) * 10));
        v.currentHundredths = currentOf(q);
        v.error = noEcho ? errNoEcho : 0;
        v.status = quint16(stFlowMode | (noEcho ? 0 : stPvValid));
        if (noEcho) {
            v.peakTotal = 0;
            v.peakIndex = 0;
            v.peakAmplitude = quint8(r.between(2, 8));
            v.snRatio = quint8(r.between(1, 8));
            v.gain = 7;
        } else {
            v.peakTotal = quint8(r.between(1, 4));
            v.peakIndex = quint8(r.between(0, v.peakTotal - 1));
            v.peakAmplitude = quint8(r.between(25, 50));
            v.snRatio = quint8(r.between(28, 55));
            v.gain = quint8(r.between(2, 4));
        }
        v.phase = quint8(r.between(0, 3));
        v.sensorIndex = kSensorIndex;
        v.pchk = quint8(r.next());
        v.debug2 = quint8(r.next());
        rows.push_back(EncodeRecordRow(v));
    }
    return rows;
}

} // namespace

std::vector<TLogRowBytes> GenerateLoggerRows(int count, quint32 firstWrite, quint64 seed)
{
    if (count <= 0) return {};
    TRandom r(seed);
    // Each row takes at most one cycle, so starting this far back keeps every stamp in range.
    const qint64 jitter = r.between(0, 3 * 1440);
    const qint64 t = (kLastMinute - qint64(count) * kCycleMinutes - jitter) / kCycleMinutes * kCycleMinutes;
    return generate(count, firstWrite, r, t, kLastMinute, seed, true);
}

std::vector<TLogRowBytes> GenerateLoggerRowsFrom(qint64 startMinute, int count, quint32 firstWrite, quint64 seed)
{
    if (count <= 0) return {};
    TRandom r(seed);
    const qint64 t = startMinute / kCycleMinutes * kCycleMinutes;
    const int writes = int(firstWrite) + count;
    std::vector<TLogRowBytes> rows =
        generate(writes, 0, r, t, qMin(kLastMinute, t + StoryMinutes(writes)), seed, false);
    rows.erase(rows.begin(), rows.begin() + firstWrite);
    return rows;
}

qint64 StoryMinutes(qint64 writes) { return writes * 6 + 3 * 1440; }

qint64 LastStampMinute() { return kLastMinute; }

} // namespace quentry::emulator
