#pragma once
// The log image generator: a level that rises and falls in a triangle, with matching
// distance, primary value, loop current, echo data and a daily temperature swing. Plain
// code over the store's row array, shared by the simulator window and quentry-cli, so both
// write the same image for the same inputs.
#include "logstore.h"

#include <QDate>
#include <QString>
#include <QTime>
#include <functional>

namespace quentry {

struct TSimulationInputs
{
    int StartIndex = 1;        // record index of the first row
    int TotalIndex = 12288;    // rows to generate
    QDate StartDate;           // date of the first row
    QTime StartTime{12, 10};   // time of day of the first row
    int LoggerPeriod = 5;      // minutes between rows
    double PVStart = 0.0;      // lower level limit
    double PVEnd = 6.0;        // upper level limit, also the distance reference
    int SimulationTime = 60;   // minutes of one level cycle
};

// Generator constants.
constexpr double SimPVFactor = 5.0;
constexpr double SimTempLow = 12.0;
constexpr double SimTempHigh = 50.0;
constexpr int SimAmpMin = 3;
constexpr int SimAmpMax = 63;
// Rows a generated image may hold: what a full logger gives.
constexpr int kSimMaxRows = kLogArrayRows - 1;

// The curves over a phase x in percent (0 .. 100 is one triangle).
double SimTriangle(double x);
double SimLevel(float x, double pvStart, double pvEnd);
double SimCurrent(float x);
int SimEchoCount(float x);
int SimAmplitude(float x);
// 12.0 at midnight, rising linearly to 50.0 at noon and back; seconds are ignored.
double SimTemperature(const QTime& t);

// Empty when the inputs can be generated; otherwise the reason, for a message box or stderr.
QString CheckSimulationInputs(const TSimulationInputs& in);

class TLogSimulator
{
public:
    // The inputs must pass CheckSimulationInputs.
    explicit TLogSimulator(const TSimulationInputs& in);

    // Row i (0-based) of the run; every field not listed stays zero or empty.
    THART_PAS_LOG_Row Row(int i) const;
    // The phase of row i: (minutes into the run modulo the cycle) / 60 x 100.
    float Phase(int i) const;
    QDateTime RowTime(int i) const;

    // Called before each row with its number; false stops the run (Cancel). After each
    // row, rowDone gets its number.
    using TBeforeRow = std::function<bool(int i)>;
    using TRowDone = std::function<void(int i)>;
    // Zeroes the whole array, then writes rows 0 .. TotalIndex - 1 until stopped. Returns
    // the rows written, which count also after a stop.
    int Generate(TLogArray& rows, const TBeforeRow& beforeRow = {}, const TRowDone& rowDone = {}) const;

private:
    TSimulationInputs FIn;
    QDateTime FStart;
};

} // namespace quentry
