#pragma once
// Detect: switch the adapter, find the transmitter, check for its on-board logger, read
// the logger status, the clock and the logger configuration. What it learns goes into the
// device access (identity, found, logger) and the logger settings; the lines for the
// information memo are collected in `memo`.
#include "deviceaccess.h"
#include "loggersettings.h"

#include <QStringList>

namespace quentry {

class TLOGGEREngine;

class TDetection
{
public:
    TDetection(TDeviceAccess& access, TLoggerSettings& settings, TLOGGEREngine& reader)
        : FAccess(access), FSettings(settings), FReader(reader)
    {
    }

    enum class TOutcome { AdapterNotFound, DeviceNotFound, NoLogger, Found };

    // The whole Detect sequence. protocol is what the setup dialog shows: HART and the
    // MODBUS values identify the transmitter first, the FAST values skip that and keep
    // the identity of the last HART detection.
    TOutcome Detect(TProtokoll protocol);

    // The detection proper, inside its progress dialog; true once the transmitter
    // answered (identification or the feature id), even if a later step failed.
    bool RunDetection(TProtokoll protocol);
    bool DetectDevice();
    bool ReadFeatureId(quint16& Id);
    bool CheckLoggerFeature(quint16 Id);
    bool ReadLoggerStatus(int& Status);
    bool CheckRtcStatus(int Status);

    static bool LoggerPresentIn(quint16 featureId);

    QStringList memo;
    quint8 PollingAddress = 255;
    quint16 FeatureId = 0;
    int LoggerStatus = 0;
    bool RtcInitialized = false;
    bool ConfigRead = false; // the last detection reached the clock and the configuration

private:
    TDeviceAccess& FAccess;
    TLoggerSettings& FSettings;
    TLOGGEREngine& FReader;
};

} // namespace quentry
