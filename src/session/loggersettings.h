#pragma once
// The transmitter's clock and logger configuration, held in its parameter table:
// 34 the configuration digits, 35 and 36 the two logger values, 37 the year, 38 month and
// day, 39 hour and minute. Every request shows a progress dialog through the feedback.
#include "deviceaccess.h"

#include <QDate>
#include <QStringList>
#include <array>

namespace quentry {

struct TRtcValue
{
    quint16 year = 0;
    quint8 month = 0, day = 0, hour = 0, minute = 0;
    bool operator==(const TRtcValue&) const = default;
};

// Parameter 34 as four decimal digits: units = logger mode, tens = extended events,
// hundreds = status handling, thousands carried through.
struct TConfigDigits
{
    quint8 units = 0, tens = 0, hundreds = 0, thousands = 0;
    bool operator==(const TConfigDigits&) const = default;
};

struct TLoggerConfig
{
    TConfigDigits digits;
    float value1 = 0;
    float value2 = 0;
};

// Empty when the clock reading forms a real date and time, else the first field that
// does not ("month 13").
QString RtcValueProblem(const TRtcValue& r);

TConfigDigits SplitDigits(float x);
float JoinDigits(const TConfigDigits& d);

// The entries of the three configuration lists; the entry index is the digit.
const QStringList& LoggerModeNames();
const QStringList& ExtendedEventNames();
const QStringList& StatusHandlingNames();

// How the value fields are labelled and which ones show, by logger mode.
struct TModeLabels
{
    bool listsShown = true;   // extended events and status handling
    bool value1Shown = true;
    QString value1Label;
    bool value2Shown = true;
    QString value2Label = QStringLiteral("Limit Value 2:");
};
TModeLabels ModeLabels(int modeIndex);

class TLoggerSettings
{
public:
    explicit TLoggerSettings(TDeviceAccess& access) : FAccess(access) {}

    TRtcValue RtcValue;
    TLoggerConfig LoggerConfig;

    // Fields read before a failing step keep their new values.
    bool ReadRtc();
    // Writes date, hour and minute in remote programming mode (seconds are never written).
    bool WriteRtc(const QDate& date, int hour, int minute);
    bool ReadLoggerConfig();
    // Writes the digits and both values; the values take what the transmitter confirms.
    bool WriteLoggerConfig();

    // The date the clock shows, or 1900-01-01 when year, month and day name none.
    QDate RtcDate() const;

private:
    TDeviceAccess& FAccess;
};

} // namespace quentry
