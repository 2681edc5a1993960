#include "devicemodel.h"

#include "loggercontent.h"
#include "wire/wireconv.h"

#include <cmath>

namespace quentry::emulator {
namespace {

constexpr quint8 kExpansion = 254;
constexpr quint8 kPreamblesWanted = 5;
constexpr double kMeanFlow = 45.0; // l/s, what the live totalisers add up
constexpr quint16 stFlowMode = 5, stRemote = 1 << 4, stUpswPresent = 1 << 6, stLoggerOpened = 1 << 12,
                  stPvValid = 1 << 14;
constexpr quint16 errNoEcho = 1 << 0;
// Parameter numbers with a meaning of their own.
constexpr int pLoggerConfig = 34, pLoggerValue1 = 35, pLoggerValue2 = 36, pYear = 37, pMonthDay = 38,
              pHourMinute = 39, pLoggerStatus = 92, pFeatureId = 98;
constexpr quint8 uLitrePerSecond = 24, uMetre = 45, uSecond = 51;

QByteArray packed(const QString& text, int chars)
{
    QByteArray b(chars / 4 * 3, '\0');
    PackASCII(PadString(text, chars), reinterpret_cast<quint8*>(b.data()), int(b.size()));
    return b;
}

int rounded(float v) { return int(std::lround(v)); }

} // namespace

TDeviceModel::TDeviceModel(const TEmulatorConfig& config)
    : FSeed(config.seed), FPollingAddress(config.pollingAddress), FLongAddress(config.longAddress()),
      FFactoryId(config.factoryId), FClockOffsetMs(config.clockOffsetSeconds * 1000), FFeatureId(config.featureId), FFixedLive(config.fixedLive)
{
    FMessage = packed(QStringLiteral("VIRTUAL TRANSMITTER ON A PTY"), 32);
    FTagDescDate = packed(QStringLiteral("LT-101"), 8) + packed(QStringLiteral("OPEN CHANNEL"), 16);
    FTagDescDate.append(char(1)).append(char(6)).append(char(121)); // 1 June 2021
    const QDateTime now = QDateTime::currentDateTime();
    FTotFrom[0] = FTotFrom[1] = now;
    if (FFixedLive) {
        FTotBase[0] = FFixedLive->tot1;
        FTotBase[1] = FFixedLive->tot2;
    }
    setDefaults();
}

void TDeviceModel::setDefaults()
{
    FParams.clear();
    FParams[1] = {0, 0, 5};                     // measuring mode: flow
    FParams[2] = {0, 0, 0};                     // distance unit: m
    FParams[4] = {0, uMetre, 3.0f};             // largest measuring distance
    FParams[5] = {0, uMetre, kSensorHeight};    // sensor above the channel bottom
    FParams[6] = {0, uSecond, 2.0f};            // damping
    FParams[8] = {0, uLitrePerSecond, 0.0f};    // flow at 4 mA
    FParams[9] = {0, uLitrePerSecond, kFlowRange}; // flow at 20 mA
    FParams[pLoggerConfig] = {0, 0, 111};       // scheduled logging, errors and warnings, status changes
    FParams[pLoggerValue1] = {0, uSecond, 300}; // cycle time
    FParams[pLoggerValue2] = {0, uLitrePerSecond, 0};
    FParams[pYear] = {0, 0, 0};
    FParams[pMonthDay] = {0, 0, 0};
    FParams[pHourMinute] = {0, 0, 0};
    FParams[pLoggerStatus] = {1, 0, 0};
    FParams[pFeatureId] = {1, 0, float(FFeatureId)};
    FLinTable.clear();
    for (int i = 0; i <= 10; ++i) {
        const float h = 0.1f * float(i);
        FLinTable.push_back({h, float(1380.0 * std::pow(double(h), 2.5))});
    }
}

void TDeviceModel::loadDefaults(quint8 /*mode*/)
{
    setDefaults();
    markConfigChanged();
}

QByteArray TDeviceModel::uniqueIdentifier() const
{
    const quint8 b[16] = {kExpansion, FFactoryId, FLongAddress[1], kPreamblesWanted, 5, 1, 12, 3, 0,
                          FLongAddress[2], FLongAddress[3], FLongAddress[4], 0, 0, 0, 0};
    return QByteArray(reinterpret_cast<const char*>(b), 16);
}

QByteArray TDeviceModel::errStat(bool loggerOpen) const
{
    const TLiveValues v = live();
    quint16 status = stFlowMode;
    if (FRemote) status |= stRemote;
    if (FUserPassword != 0) status |= stUpswPresent;
    if (loggerOpen) status |= stLoggerOpened;
    if (!v.echoLost) status |= stPvValid;
    QByteArray b(4, '\0');
    writeBE16(reinterpret_cast<quint8*>(b.data()), v.echoLost ? errNoEcho : 0);
    writeBE16(reinterpret_cast<quint8*>(b.data()) + 2, status);
    return b;
}

TResponseCode TDeviceModel::enterExit(quint16 code, quint8 mode)
{
    switch (mode) {
    case 1:
        if (code != kRemoteUserCode && (FUserPassword == 0 || code != FUserPassword)) return rc_AccessRestricted;
        FRemote = true;
        return rc_OK;
    case 0:
    case 2: FRemote = false; return rc_OK;
    default: return rc_InvalidSelection;
    }
}

TResponseCode TDeviceModel::setUserPassword(quint16 bcd)
{
    quint16 value = 0;
    for (int shift = 12; shift >= 0; shift -= 4) {
        const int digit = (bcd >> shift) & 0xF;
        if (digit > 9) return rc_InvalidSelection;
        value = quint16(value * 10 + digit);
    }
    FUserPassword = value;
    markConfigChanged();
    return rc_OK;
}

QDateTime TDeviceModel::clock() const { return QDateTime::currentDateTime().addMSecs(FClockOffsetMs); }

void TDeviceModel::setClock(const QDateTime& t)
{
    FClockOffsetMs = QDateTime::currentDateTime().msecsTo(t);
}

bool TDeviceModel::hasParameter(int number) const { return FParams.count(number) != 0; }

TParameter TDeviceModel::parameter(int number) const
{
    TParameter p = FParams.at(number);
    const QDateTime c = clock();
    switch (number) {
    case pYear: p.value = float(c.date().year()); break;
    case pMonthDay: p.value = float(c.date().month() * 100 + c.date().day()); break;
    case pHourMinute: p.value = float(c.time().hour() * 100 + c.time().minute()); break;
    case pLoggerStatus: p.value = float(0x04 | 0x01 | (FLoggerWrapped ? 0x10 : 0)); break; // clock set, logging
    default: break;
    }
    return p;
}

std::map<int, float> TDeviceModel::parameterValues() const
{
    std::map<int, float> values;
    for (const auto& [number, p] : FParams) values[number] = parameter(number).value;
    return values;
}

TResponseCode TDeviceModel::writeParameter(int number, float value)
{
    if (!hasParameter(number)) return rc_InvalidSelection;
    TParameter& p = FParams[number];
    if (p.attribute & 1) return rc_AccessRestricted;
    if (!std::isfinite(value)) return rc_InvalidSelection;
    const QDateTime c = clock();
    const int n = rounded(value);
    switch (number) {
    case pLoggerConfig:
    case pLoggerValue1:
    case pLoggerValue2:
        if (value < 0) return rc_TooSmall;
        if (value > 65535) return rc_TooLarge;
        p.value = number == pLoggerConfig ? float(n) : value;
        break;
    case pYear: {
        if (n < 1) return rc_TooSmall;
        if (n > 9999) return rc_TooLarge;
        // Keep the day within the month of the new year (29 February).
        const int day = qMin(c.date().day(), QDate(n, c.date().month(), 1).daysInMonth());
        setClock(QDateTime(QDate(n, c.date().month(), day), c.time()));
        break;
    }
    case pMonthDay: {
        if (n < 101) return rc_TooSmall;
        const QDate d(c.date().year(), n / 100, n % 100);
        if (!d.isValid()) return rc_TooLarge;
        setClock(QDateTime(d, c.time()));
        break;
    }
    case pHourMinute: {
        if (n < 0) return rc_TooSmall;
        const QTime t(n / 100, n % 100, 0);
        if (!t.isValid()) return rc_TooLarge;
        setClock(QDateTime(c.date(), t));
        break;
    }
    default: p.value = value; break;
    }
    markConfigChanged();
    return rc_OK;
}

float TDeviceModel::totaliser(int which) const
{
    const int i = which - 1;
    const double rate = FFixedLive ? 0.0 : kMeanFlow / 1000.0; // m3 a second
    return float(FTotBase[i] + rate * double(FTotFrom[i].msecsTo(QDateTime::currentDateTime())) / 1000.0);
}

void TDeviceModel::clearTotaliser(int which)
{
    FTotBase[which - 1] = 0;
    FTotFrom[which - 1] = QDateTime::currentDateTime();
}

TLiveValues TDeviceModel::live() const
{
    TLiveValues v;
    if (FFixedLive) {
        v = *FFixedLive;
    } else {
        const QDateTime c = clock();
        const double minutes = double(QDateTime(QDate(2001, 1, 1), QTime(0, 0)).secsTo(c)) / 60.0;
        const TSiteValues s = SiteValuesAt(minutes, FSeed);
        v.level = s.level;
        v.distance = s.distance;
        v.flow = s.flow;
        v.temperature = s.temperature;
        v.current = s.current;
        v.levelPercent = s.level * 100.0f;
        v.currentPercent = (s.current - 4.0f) / 16.0f * 100.0f;
        v.echoLost = false;
    }
    v.tot1 = totaliser(1);
    v.tot2 = totaliser(2);
    return v;
}

QByteArray TDeviceModel::messagePacked() const { return FMessage; }

} // namespace quentry::emulator
