#include "loggersettings.h"

#include <cmath>

namespace quentry {
namespace {

quint16 roundedWord(float x)
{
    const double r = std::nearbyint(double(x)); // halves to even
    if (!(r >= 0)) return 0;
    return r > 65535 ? 65535 : quint16(r);
}

} // namespace

TConfigDigits SplitDigits(float x)
{
    const quint16 n = roundedWord(x);
    return TConfigDigits{quint8(n % 10), quint8((n / 10) % 10), quint8((n / 100) % 10), quint8(n / 1000)};
}

float JoinDigits(const TConfigDigits& d)
{
    return float(1000 * d.thousands + 100 * d.hundreds + 10 * d.tens + d.units);
}

const QStringList& LoggerModeNames()
{
    static const QStringList names = {"OFF",
                                      "Linear Mode (Scheduled Mode)",
                                      "Event Mode (PV changed value)",
                                      "Event Mode (PV changed precent)",
                                      "Event Mode (PV out of limits)",
                                      "Event Mode (PV between limits)"};
    return names;
}

const QStringList& ExtendedEventNames()
{
    static const QStringList names = {"OFF", "Errors And Warnings", "Errors only", "\"No ECHO\" only"};
    return names;
}

const QStringList& StatusHandlingNames()
{
    static const QStringList names = {"OFF", "Internal Status change"};
    return names;
}

TModeLabels ModeLabels(int modeIndex)
{
    TModeLabels l;
    switch (modeIndex) {
    case 0:
        l.listsShown = false;
        l.value1Shown = false;
        l.value1Label = QStringLiteral("-");
        l.value2Shown = false;
        break;
    case 1: l.value1Label = QStringLiteral("Cycle Time (sec):"); l.value2Shown = false; break;
    case 2: l.value1Label = QStringLiteral("Limit Value:"); l.value2Shown = false; break;
    case 3: l.value1Label = QStringLiteral("Limit Value (%):"); l.value2Shown = false; break;
    default: l.value1Label = QStringLiteral("Limit Value 1:"); break;
    }
    return l;
}

QString RtcValueProblem(const TRtcValue& r)
{
    if (r.month < 1 || r.month > 12) return QStringLiteral("month %1").arg(r.month);
    if (!QDate(r.year, r.month, 1).isValid()) return QStringLiteral("year %1").arg(r.year);
    if (!QDate(r.year, r.month, r.day).isValid()) return QStringLiteral("day %1").arg(r.day);
    if (r.hour > 23) return QStringLiteral("hour %1").arg(r.hour);
    if (r.minute > 59) return QStringLiteral("minute %1").arg(r.minute);
    return {};
}

bool TLoggerSettings::ReadRtc()
{
    TProgressOptions o;
    o.caption = QStringLiteral("Reading RTC ...");
    o.maximum = 3;
    auto progress = FAccess.feedback().showProgress(o);
    float v = 0;
    progress->setPosition(1);
    progress->setText(QStringLiteral("Reading Century"));
    if (!FAccess.ReadParam(37, v)) return false;
    RtcValue.year = roundedWord(v);
    progress->setPosition(2);
    progress->setText(QStringLiteral("Reading Month/Day"));
    if (!FAccess.ReadParam(38, v)) return false;
    quint16 n = roundedWord(v);
    RtcValue.month = quint8(n / 100);
    RtcValue.day = quint8(n % 100);
    progress->setPosition(3);
    progress->setText(QStringLiteral("Reading Hour/Minute"));
    if (!FAccess.ReadParam(39, v)) return false;
    n = roundedWord(v);
    RtcValue.hour = quint8(n / 100);
    RtcValue.minute = quint8(n % 100);
    return true;
}

QDate TLoggerSettings::RtcDate() const
{
    const QDate d(RtcValue.year, RtcValue.month, RtcValue.day);
    return d.isValid() ? d : QDate(1900, 1, 1);
}

bool TLoggerSettings::WriteRtc(const QDate& date, int hour, int minute)
{
    TProgressOptions o;
    o.caption = QStringLiteral("Writing RTC");
    o.text = QStringLiteral("Entering Remote Programing Mode.");
    o.maximum = 4;
    auto progress = FAccess.feedback().showProgress(o);
    // Success means the clock now holds what was sent: remote mode entered, all three
    // values written and remote mode left. Each write is still tried on its own.
    bool written = FAccess.EnterRemoteMode();
    if (written) {
        float v = float(date.year());
        progress->setPosition(1);
        progress->setText(QStringLiteral("Writing Date/Year ..."));
        written &= FAccess.WriteParam(37, v);
        v = float(date.month() * 100 + date.day());
        progress->setPosition(2);
        progress->setText(QStringLiteral("Writing Date/Month-Day ..."));
        written &= FAccess.WriteParam(38, v);
        v = float(hour * 100 + minute);
        progress->setPosition(3);
        progress->setText(QStringLiteral("Writing Time ..."));
        written &= FAccess.WriteParam(39, v);
    }
    progress->setPosition(4);
    progress->setText(QStringLiteral("Exiting Remote Mode."));
    const bool left = FAccess.ExitRemoteMode(); // also when entering failed
    FAccess.EscapeRemoteMenu();                 // always, before the dialog goes
    return written && left;
}

bool TLoggerSettings::ReadLoggerConfig()
{
    TProgressOptions o;
    o.caption = QStringLiteral("Reading Logger Config");
    o.maximum = 3;
    auto progress = FAccess.feedback().showProgress(o);
    float v = 0;
    progress->setPosition(1);
    progress->setText(QStringLiteral("Reading Logger Mode"));
    if (!FAccess.ReadParam(34, v)) return false;
    LoggerConfig.digits = SplitDigits(v);
    progress->setPosition(2);
    progress->setText(QStringLiteral("Reading Logger Value 1"));
    if (!FAccess.ReadParam(35, v)) return false;
    LoggerConfig.value1 = v;
    progress->setPosition(3);
    progress->setText(QStringLiteral("Reading Logger Value 2"));
    if (!FAccess.ReadParam(36, v)) return false;
    LoggerConfig.value2 = v;
    return true;
}

bool TLoggerSettings::WriteLoggerConfig()
{
    TProgressOptions o;
    o.caption = QStringLiteral("Writing Logger Config");
    o.text = QStringLiteral("Entering Remote Programing Mode.");
    o.maximum = 3;
    auto progress = FAccess.feedback().showProgress(o);
    // Nothing written is no success, even when leaving remote mode works.
    bool result = FAccess.EnterRemoteMode();
    if (result) {
        float v = JoinDigits(LoggerConfig.digits);
        progress->setPosition(1);
        progress->setText(QStringLiteral("Writing Logger Mode"));
        if (!FAccess.WriteParam(34, v)) return false;
        progress->setPosition(2);
        progress->setText(QStringLiteral("Writing Logger Value 1"));
        if (!FAccess.WriteParam(35, LoggerConfig.value1)) return false;
        progress->setPosition(3);
        progress->setText(QStringLiteral("Writing Logger Value 2"));
        if (!FAccess.WriteParam(36, LoggerConfig.value2)) return false;
        progress->setPosition(4);
        progress->setText(QStringLiteral("Exiting Remote Mode."));
    }
    if (!FAccess.ExitRemoteMode()) result = false;
    return result;
}

} // namespace quentry
