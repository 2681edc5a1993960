#pragma once
// Detect: switch the adapter, find the transmitter, check for its on-board logger, read
// the logger status, the clock and the logger configuration. What it learns goes into the
// device access (identity, found, logger) and the logger settings; the lines for the
// information memo are collected in `memo`.
#include "deviceaccess.h"
#include "loggersettings.h"

#include <QStringList>
#include <functional>
#include <optional>

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

    // The polling address to talk to; unset: scan them all for the first that answers.
    std::optional<quint8> FixedAddress;
    // Called as soon as the transmitter has told its identity, before the later steps.
    std::function<void()> OnIdentified;
    // Asked between the steps after the identity; true ends the sequence there (a terminal
    // user pressed Ctrl-C). Unset: every step runs, as the window wants.
    std::function<bool()> StopRequested;
    // "polling addresses 0-15" or "polling address N": where the last detection looked.
    QString AddressesTried() const;

    // What the last detection saw. A fact not read stays false; `Failure` names the request
    // that failed after the transmitter had answered (empty when none did).
    bool IdentityRead = false;
    bool FeatureIdRead = false;
    bool LoggerStatusRead = false;
    bool RtcRead = false;
    QString Failure;

    QStringList memo;
    quint8 PollingAddress = 255;
    quint16 FeatureId = 0;
    int LoggerStatus = 0;
    bool RtcInitialized = false;
    bool ConfigRead = false; // the last detection reached the clock and the configuration

private:
    bool failedRequest();
    bool stopRequested() const;

public:

private:
    TDeviceAccess& FAccess;
    TLoggerSettings& FSettings;
    TLOGGEREngine& FReader;
};

} // namespace quentry
