#include "clockcheck.h"

#include <cmath>

namespace quentry {
namespace {

// A clock that moved more than this per day against the PC was set, not drifting.
constexpr double kMaxDriftPerDay = 30.0;
// A drift is worked out over at least a day, and over long enough that the rounding of the
// two readings adds no more than this to it.
constexpr double kDriftUncertainty = 2.0; // s/day

// Seconds from the PC's local time to the transmitter's (both without a time zone).
double secondsBetween(const QDateTime& pcUtc, const QDate& date, const QTime& time)
{
    const QDateTime pc = pcUtc.toLocalTime();
    const QDateTime pcNaive(pc.date(), pc.time(), Qt::UTC);
    const QDateTime transmitter(date, time, Qt::UTC);
    return double(pcNaive.msecsTo(transmitter)) / 1000.0;
}

double tenths(double s) { return std::round(s * 10.0) / 10.0; }

// The PC time in the middle of a request, the byte gap that ended its reply left out.
QDateTime middle(const QDateTime& sent, const QDateTime& done, const TCOMEngine& engine)
{
    const qint64 gap = engine.QuickReplies() ? 0 : qint64(engine.Time_ByteGap());
    const qint64 span = qMax<qint64>(0, sent.msecsTo(done) - gap);
    return sent.addMSecs(span / 2);
}

} // namespace

std::optional<TClockReading> ReadClockAgainstPc(TDeviceAccess& access, const TRtcValue& detected)
{
    TClockReading r;
    if (access.engine().Protokoll() != prt_MODE3) {
        THART_PAS_RTC_RdWrRTC rtc;
        TTXRXInfo d = access.addressing();
        const QDateTime sent = QDateTime::currentDateTimeUtc();
        if (access.device().Rtc_RdRTC(d, rtc) != FRERR_OK) return std::nullopt;
        r.pcTime = middle(sent, QDateTime::currentDateTimeUtc(), access.engine());
        const QDateTime clock = toQDateTime(rtc.DateTime);
        if (!clock.isValid() || clock.date().year() < 2000) return std::nullopt;
        // The clock says a whole second: on average half of it has passed.
        r.offsetSeconds = tenths(secondsBetween(r.pcTime, clock.date(), clock.time().addSecs(rtc.Seconds)) + 0.5);
        r.resolutionSeconds = 1;
        return r;
    }
    if (!RtcValueProblem(detected).isEmpty()) return std::nullopt;
    float v = 0;
    const QDateTime sent = QDateTime::currentDateTimeUtc();
    if (!access.ReadParam(39, v)) return std::nullopt;
    r.pcTime = middle(sent, QDateTime::currentDateTimeUtc(), access.engine());
    const int hhmm = int(std::lround(v));
    const QTime time(hhmm / 100, hhmm % 100);
    if (!time.isValid()) return std::nullopt;
    QDate date(detected.year, detected.month, detected.day);
    // Midnight passed since detection read the date.
    if (time < QTime(detected.hour, detected.minute)) date = date.addDays(1);
    r.offsetSeconds = tenths(secondsBetween(r.pcTime, date, time) + 30.0);
    r.resolutionSeconds = 60;
    return r;
}

std::optional<double> ClockDrift(const TClockReading& now, const std::vector<TClockReading>& earlier)
{
    for (const TClockReading& then : earlier) {
        const double days = double(then.pcTime.msecsTo(now.pcTime)) / 86400000.0;
        const double rounding = (now.resolutionSeconds + then.resolutionSeconds) / 2.0;
        if (days < 1.0 || rounding / days > kDriftUncertainty) continue;
        const double drift = (now.offsetSeconds - then.offsetSeconds) / days;
        if (std::fabs(drift) > kMaxDriftPerDay) return std::nullopt;
        return tenths(drift);
    }
    return std::nullopt;
}

} // namespace quentry
