#pragma once
// The elapsed-time text of every long operation: the time since StartStamp as minutes and
// two-digit seconds, and while the operation is between 1 % and 100 % the expected total.
// The clock is a parameter so the text can be checked without waiting.
#include "wire/datetime.h"

#include <QString>
#include <functional>

namespace quentry {

// The figures behind one elapsed-time text, so a loop can tell whether the text changed
// without building it.
struct TElapsedFigures
{
    qint64 elapsed = 0;   // seconds
    qint64 estimated = 0; // seconds, the expected total
    bool withEstimate = false;
    bool operator==(const TElapsedFigures&) const = default;
};

class TElapsedClock
{
public:
    using TNow = std::function<TDateTime()>;

    // The wall-clock time at first use advanced by a monotonic timer: cheap enough to ask
    // once per row, and an operation's elapsed time does not jump when the clock is set.
    static TDateTime SteadyNow();

    TElapsedClock() : FNow(&SteadyNow) {}
    explicit TElapsedClock(TNow now) : FNow(std::move(now)) {}

    TDateTime Now() const { return FNow(); }
    void Start() { FStartStamp = FNow(); }
    TDateTime StartStamp() const { return FStartStamp; }
    void SetStartStamp(TDateTime t) { FStartStamp = t; }

    // "Elapsed Time: m.ss [min]", and with 1 < Percent < 100 also "- Estimated Time: m.ss
    // [min]", the expected total duration. Pass 100 for the elapsed time alone.
    QString FormatElapsed(double Percent) const { return FormatFigures(Figures(Percent)); }
    TElapsedFigures Figures(double Percent) const;
    static QString FormatFigures(const TElapsedFigures& f);
    // Whole seconds since StartStamp; never negative.
    qint64 ElapsedSeconds() const;

private:
    TNow FNow;
    TDateTime FStartStamp = 0.0;
};

// position / maximum x 100; a maximum of 0 or less (a single row) counts as done.
double PercentOf(double position, double maximum);

} // namespace quentry
