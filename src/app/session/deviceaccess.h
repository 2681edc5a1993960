#pragma once
// The detected transmitter as the service tool addresses it: its identity, whether it
// was found and has a logger, and the parameter and remote-mode requests that the
// detection and the logger settings share. One request per call; failures are results.
#include "operationrecords.h"
#include "ostradevice.h"
#include "userfeedback.h"

namespace quentry {

class TDeviceAccess
{
public:
    // The programming code the tool sends with every enter/exit request.
    static constexpr quint16 RemoteUserCode = 23610;

    TDeviceAccess(TCOMEngine& engine, TOstraDevice& device, TUserFeedback& feedback)
        : FEngine(engine), FDevice(device), FFeedback(feedback)
    {
    }

    THART_PAS_UniqueID DeviceUniqueID;
    bool DeviceFound = false;
    bool LoggerDetected = false;

    TCOMEngine& engine() const { return FEngine; }
    TOstraDevice& device() const { return FDevice; }
    TUserFeedback& feedback() const { return FFeedback; }
    // Every request is addressed by the detected identity.
    TTXRXInfo addressing() const { return FDevice.BuildTTXRXInfo(DeviceUniqueID); }

    // False on a transaction error (no message) or a reply for another parameter (message).
    bool ReadParam(quint8 Number, float& Value);
    // On success Value becomes the value the transmitter confirms.
    bool WriteParam(quint8 Number, float& Value);
    bool EnterRemoteMode();
    bool ExitRemoteMode();   // then 2 s for the transmitter to settle
    bool EscapeRemoteMenu(); // then 0.5 s

    // Keeps the event loop running meanwhile.
    void WaitMs(int milliseconds);

private:
    bool enterExit(quint8 mode);

    TCOMEngine& FEngine;
    TOstraDevice& FDevice;
    TUserFeedback& FFeedback;
};

} // namespace quentry
