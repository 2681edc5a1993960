#include "detection.h"

#include "loggerengine.h"

#include <cmath>

namespace quentry {

TDetection::TOutcome TDetection::Detect(TProtokoll protocol)
{
    memo.clear();
    ConfigRead = false;
    IdentityRead = FeatureIdRead = LoggerStatusRead = RtcRead = false;
    Failure.clear();
    FAccess.ClearLastFailure();
    FAccess.DeviceFound = false;
    FAccess.engine().SetHeartBeatActive(false);
    if (!FAccess.engine().SendAdapterMode()) {
        memo << QStringLiteral("Communication Adapter is not found.");
        return TOutcome::AdapterNotFound;
    }
    FAccess.WaitMs(500);
    FAccess.DeviceFound = RunDetection(protocol);
    if (!FAccess.DeviceFound) {
        memo << QStringLiteral("Device is not found.");
        return TOutcome::DeviceNotFound;
    }
    if (!FAccess.LoggerDetected) return TOutcome::NoLogger;
    if (FAccess.engine().Adapter() == adt_IrDA) FAccess.engine().SetHeartBeatActive(true);
    return TOutcome::Found;
}

bool TDetection::RunDetection(TProtokoll protocol)
{
    bool result = false;
    FAccess.LoggerDetected = false;
    TProgressOptions o;
    o.caption = QStringLiteral("Reading Device Information");
    o.maximum = 6;
    auto progress = FAccess.feedback().showProgress(o);
    progress->setPosition(1);
    progress->setCaption(QStringLiteral("Detecting Device"));

    const bool identify = protocol == prt_HART || protocol == prt_MODBUS_RTU || protocol == prt_MODBUS_ASCII;
    if (identify) {
        if (!DetectDevice()) return false;
        result = true;
        progress->setPosition(2);
        progress->setText(QStringLiteral("Reading Device Hardware Feature ID"));
    }
    quint16 id = 0;
    if (stopRequested()) return result;
    if (!ReadFeatureId(id)) return failedRequest() || result;
    FeatureId = id;
    FeatureIdRead = true;
    result = true;
    progress->setPosition(3);
    progress->setText(QStringLiteral("Checking Logger Feature"));
    if (!CheckLoggerFeature(id)) {
        FAccess.feedback().showError(
            QStringLiteral("On-board logger is NOT detected!\r\nPlease try with other device!"));
        return result;
    }
    FAccess.LoggerDetected = true;
    progress->setPosition(2);
    progress->setText(QStringLiteral("Escaping Remote Menu"));
    progress->setPosition(4);
    progress->setText(QStringLiteral("Reading Logger Status"));
    int status = 0;
    if (stopRequested()) return result;
    if (!ReadLoggerStatus(status)) return failedRequest() || result;
    LoggerStatus = status;
    LoggerStatusRead = true;
    progress->setPosition(5);
    progress->setText(QStringLiteral("Checking RTC Status"));
    CheckRtcStatus(status);
    if (stopRequested()) return result;
    if (!FSettings.ReadRtc()) return failedRequest() || result;
    RtcRead = true;
    const TRtcValue& r = FSettings.RtcValue;
    memo << QString::asprintf("Date on RTC: %.4d-%.2d-%.2d %.2d:%.2d", r.year, r.month, r.day, r.hour,
                              r.minute);
    progress->setPosition(6);
    progress->setCaption(QStringLiteral("Reading Logger Config"));
    if (stopRequested()) return result;
    ConfigRead = FSettings.ReadLoggerConfig();
    if (!ConfigRead) failedRequest();
    return result;
}

bool TDetection::stopRequested() const { return StopRequested && StopRequested(); }

// Keeps what went wrong with the last request; false, so a failing step can return it.
bool TDetection::failedRequest()
{
    Failure = FAccess.LastFailure.text();
    return false;
}

QString TDetection::AddressesTried() const
{
    return FixedAddress ? QStringLiteral("polling address %1").arg(*FixedAddress)
                        : QStringLiteral("polling addresses 0-15");
}

bool TDetection::DetectDevice()
{
    quint8 address = FixedAddress.value_or(0);
    THART_PAS_UniqueID id;
    const bool found = FixedAddress ? FAccess.device().RdUniqueID(address, id) == FRERR_OK
                                    : FAccess.device().DetectFirstDevice(address, id);
    if (!found) {
        PollingAddress = 255;
        FAccess.feedback().showError(QStringLiteral("Device Not Found!\r\nPlease Detect Again!"));
        return false;
    }
    PollingAddress = address;
    FAccess.DeviceUniqueID = id;
    memo << QStringLiteral("Polling Address: %1").arg(address);
    memo << QStringLiteral("FactoryID: %1").arg(id.FactoryID);
    memo << QStringLiteral("DeviceTypeID: %1").arg(id.DeviceTypeID);
    memo << QStringLiteral("DeviceID: %1").arg(id.DeviceID);
    TTestedDevice tested;
    tested.UniqueID = id;
    FReader.SetTestedDevice(tested);
    IdentityRead = true;
    if (OnIdentified) OnIdentified();
    return true;
}

bool TDetection::ReadFeatureId(quint16& Id)
{
    float v = 0;
    if (!FAccess.ReadParam(98, v)) return false;
    const double r = std::nearbyint(double(v)); // halves to even
    Id = std::isfinite(r) && std::fabs(r) < 9.0e18 ? quint16(qint64(r) & 0xFFFF) : quint16(0);
    return true;
}

bool TDetection::LoggerPresentIn(quint16 featureId)
{
    const QString digits = QString::number(featureId);
    if (digits.size() < 3) return false;
    const int third = digits[2].digitValue();
    return third >= 0 && (third & 2);
}

bool TDetection::CheckLoggerFeature(quint16 Id)
{
    const bool present = LoggerPresentIn(Id);
    memo << (present ? QStringLiteral("On-board logger detected!") : QStringLiteral("On-board logger NOT detected!"));
    return present;
}

bool TDetection::ReadLoggerStatus(int& Status)
{
    float v = 0;
    if (!FAccess.ReadParam(92, v)) return false;
    const double r = std::nearbyint(double(v));
    Status = std::isfinite(r) && std::fabs(r) < 2.0e9 ? int(r) : 0;
    return true;
}

bool TDetection::CheckRtcStatus(int Status)
{
    RtcInitialized = (Status & 0xFF) & 4;
    memo << ((Status & 0xFF) & 4 ? QStringLiteral("RTC Initialized!") : QStringLiteral("RTC Not Initialized!"));
    return true;
}

} // namespace quentry
