#pragma once
// One calendar day of logger rows as the service report's daily table shows it: PV
// minimum, mean and maximum, TOT1 at the day's first and last row and the day's volume.
// A totaliser reset ("CLR" or "TOT1CLR" event, or TOT1 falling at such an event) splits
// the day: the volume up to the reset and after it are kept apart and summed. A fall of
// TOT1 that no reset event explains is not guessed over: that day has no volume.
#include "pasrecords.h"

#include <QDate>
#include <QString>
#include <span>
#include <vector>

namespace quentry {

struct TTotaliserReset
{
    TDateTime at = 0.0; // time stamp of the first row after the reset
    QString event;      // the event text that explains it
};

enum class TDayVolume : quint8 {
    Summed,       // volume holds the day's volume
    Fell,         // TOT1 fell without a reset event: not summed
    UnitChanged,  // the totaliser unit changed during the day: not summed
};

struct TDayFigures
{
    QDate date;
    int rows = 0;
    double pvMin = 0, pvMean = 0, pvMax = 0;
    QString pvUnit;  // empty when the day's rows differ
    double tot1First = 0, tot1Last = 0;
    QString totUnit; // empty when the day's rows differ
    TDayVolume volumeState = TDayVolume::Summed;
    double volume = 0;
    std::vector<double> parts;            // with resets: the volume of each stretch, in order
    std::vector<TTotaliserReset> resets;
    TDateTime fellAt = 0.0;               // Fell: the first unexplained fall
    double fellFrom = 0, fellTo = 0;
};

// The figures of one day from its rows, in logger order. The rows carry readable values
// and time stamps on that day; there is at least one.
TDayFigures ComputeDayFigures(const QDate& date, std::span<const THART_PAS_LOG_Row* const> rows);

struct TMonthFigures
{
    int year = 0, month = 0;
    int days = 0;       // days with rows
    int daysSummed = 0; // of them, days whose volume counts
    double volume = 0;  // sum of the summed days' volumes
    int resets = 0;
};

// One entry per calendar month of the days (ascending).
std::vector<TMonthFigures> ComputeMonthTotals(std::span<const TDayFigures> days);

// The events that reset the totaliser TOT1.
bool IsTotaliserResetEvent(quint8 event);

} // namespace quentry
