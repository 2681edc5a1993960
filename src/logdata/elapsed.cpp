#include "elapsed.h"

#include <QElapsedTimer>
#include <cmath>

namespace quentry {
namespace {

QString MinSec(qint64 seconds)
{
    return QStringLiteral("%1.%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

TDateTime TElapsedClock::SteadyNow()
{
    static const TDateTime anchor = nowDateTime();
    static const QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return anchor + double(timer.nsecsElapsed()) / 86400e9;
}

qint64 TElapsedClock::ElapsedSeconds() const
{
    const qint64 ms = toEpochMilliseconds(FNow()) - toEpochMilliseconds(FStartStamp);
    return ms > 0 ? ms / 1000 : 0; // a clock set back during the operation shows 0.00
}

TElapsedFigures TElapsedClock::Figures(double Percent) const
{
    TElapsedFigures f;
    f.elapsed = ElapsedSeconds();
    if (Percent > 1 && Percent < 100) { // also keeps a NaN percent in the short form
        f.withEstimate = true;
        f.estimated = qint64(std::nearbyint(double(f.elapsed) / (Percent / 100)));
    }
    return f;
}

QString TElapsedClock::FormatFigures(const TElapsedFigures& f)
{
    if (f.withEstimate)
        return QStringLiteral("Elapsed Time: %1 [min] - Estimated Time: %2 [min]").arg(MinSec(f.elapsed), MinSec(f.estimated));
    return QStringLiteral("Elapsed Time: %1 [min]").arg(MinSec(f.elapsed));
}

double PercentOf(double position, double maximum)
{
    if (!(maximum > 0)) return 100;
    return position / maximum * 100;
}

} // namespace quentry
