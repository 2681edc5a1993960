#pragma once
// The detected transmitter as the service tool addresses it: its identity, whether it
// was found and has a logger, and the parameter and remote-mode requests that the
// detection and the logger settings share. One request per call; failures are results.
#include "operationrecords.h"
#include "ostradevice.h"
#include "userfeedback.h"

namespace quentry {

// A parameter request that did not get its answer: which, and why.
struct TRequestFailure
{
    int command = -1;    // the command number on the wire; -1: none failed
    bool write = false;
    int parameter = 0;
    TFrameError error = FRERR_OK;
    quint16 apiError = 0; // HART: response code * 256 + device status; FAST: status
    // "command 131 (read parameter 98) was refused: response code 64, ...", or empty.
    QString text() const;
};

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
    // The last parameter request that failed (cleared by ClearLastFailure).
    TRequestFailure LastFailure;
    void ClearLastFailure() { LastFailure = TRequestFailure(); }

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
    void noteFailure(bool write, quint8 number, TFrameError e, const TTXRXInfo& d);

    TCOMEngine& FEngine;
    TOstraDevice& FDevice;
    TUserFeedback& FFeedback;
};

} // namespace quentry
