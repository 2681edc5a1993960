#include "logsimulator.h"

#include "logfields.h"
#include "rowdecode.h"
#include "statusdecode.h"
#include "wire/datetime.h"

#include <cmath>

namespace quentry {
namespace {

// Whole number, halves to even.
double roundEven(double v) { return std::nearbyint(v); }

} // namespace

double SimTriangle(double x)
{
    return x <= 50.0 ? x * 2.0 / 100.0 : (100.0 - x) * 2.0 / 100.0;
}

double SimLevel(float x, double pvStart, double pvEnd)
{
    if (x > 100.0f) return pvEnd;
    if (x < 0.0f) return pvStart;
    return RoundTo(std::fabs(pvStart - pvEnd) * SimTriangle(x), 3);
}

double SimCurrent(float x)
{
    if (x > 100.0f) return 20.0;
    if (x < 0.0f) return 4.0;
    return RoundTo(SimTriangle(x) * 16.0, 2) + 4.0;
}

int SimEchoCount(float x)
{
    if (x > 100.0f) return 20;
    if (x < 0.0f) return 1;
    return int(roundEven(SimTriangle(x) * 19.0)) + 1;
}

int SimAmplitude(float x)
{
    if (x > 100.0f) return SimAmpMax;
    if (x < 0.0f) return SimAmpMin;
    const int span = SimAmpMax - SimAmpMin;
    return SimAmpMin + span - int(roundEven(span * SimTriangle(x)));
}

double SimTemperature(const QTime& t)
{
    const int h = t.hour(), m = t.minute();
    const double a = h < 12 ? (60.0 * h + m) / 720.0 : (60.0 * (24 - h) - m) / 720.0;
    return SimTempLow + (SimTempHigh - SimTempLow) * a;
}

QString CheckSimulationInputs(const TSimulationInputs& in)
{
    if (in.TotalIndex < 1 || in.TotalIndex > kSimMaxRows)
        return QStringLiteral("Total Index must lie between 1 and %1.").arg(kSimMaxRows);
    if (in.LoggerPeriod < 1) return QStringLiteral("Logger Period must be at least 1 min.");
    if (in.SimulationTime < 1) return QStringLiteral("Simulation Time must be at least 1 min.");
    if (!in.StartDate.isValid() || !in.StartTime.isValid()) return QStringLiteral("The start date is not valid.");
    if (in.StartIndex < 0 || in.StartIndex > 65535)
        return QStringLiteral("Start Index must lie between 0 and 65535.");
    return {};
}

TLogSimulator::TLogSimulator(const TSimulationInputs& in)
    : FIn(in), FStart(in.StartDate, QTime(in.StartTime.hour(), in.StartTime.minute(), in.StartTime.second()))
{
}

QDateTime TLogSimulator::RowTime(int i) const
{
    return FStart.addSecs(qint64(i) * FIn.LoggerPeriod * 60);
}

float TLogSimulator::Phase(int i) const
{
    const qint64 elapsed = qint64(i) * FIn.LoggerPeriod;
    // The divisor is 60 whatever the cycle: with a longer cycle x passes 100 and the curves
    // hold their top values until the cycle ends.
    return float(double(elapsed % FIn.SimulationTime) / 60.0 * 100.0);
}

THART_PAS_LOG_Row TLogSimulator::Row(int i) const
{
    const float x = Phase(i);
    const double level = SimLevel(x, FIn.PVStart, FIn.PVEnd);
    const QDateTime t = RowTime(i);

    THART_PAS_LOG_Row r;
    r.index = quint16(FIn.StartIndex + i);
    r.datetime = fromQDateTime(t);
    r.event = 7;
    r.eventstr = QString::fromLatin1(EventText(7).data(), qsizetype(EventText(7).size()));
    r.PV = level * SimPVFactor;
    r.PVunitstr = UnitCodeToStr(29);
    r.DIST = FIn.PVEnd - level;
    r.LEV = level;
    r.DISTLEVunitstr = UnitCodeToStr(45);
    r.TOTunitstr = UnitCodeToStr(43);
    r.temperature = SimTemperature(t.time());
    r.temperatureunitstr = UnitCodeToStr(32);
    r.current = SimCurrent(x);
    r.es.error = 0;
    r.es.status = 0x4621;
    r.peakinfo_amp = SimAmplitude(x);
    r.peakinfo_total = quint8(SimEchoCount(x));
    r.SNratio = 80;
    r.debug1_phase = 3;
    return r;
}

int TLogSimulator::Generate(TLogArray& rows, const TBeforeRow& beforeRow, const TRowDone& rowDone) const
{
    rows.fill(THART_PAS_LOG_Row{});
    const int total = std::min(FIn.TotalIndex, kSimMaxRows);
    int i = 0;
    for (; i < total; ++i) {
        if (beforeRow && !beforeRow(i)) break;
        rows[std::size_t(i)] = Row(i);
        if (rowDone) rowDone(i);
    }
    return i;
}

} // namespace quentry
