// TCOMEngine::SendAdapterMode: put the link adapter into the mode of the current protocol.
#include "adapters.h"
#include "comengine.h"

namespace quentry {
namespace {

constexpr quint8 kTavixMode1Ok = 0x34;
constexpr quint8 kTavixMode3Ok = 0x35;
constexpr quint8 kIrDAModeOk = 0x30;
constexpr int kIrDAWakeSteps = 56;
constexpr int kMaxAttempts = 4;

bool isModbus(TProtokoll p) { return p == prt_MODBUS_RTU || p == prt_MODBUS_ASCII; }

} // namespace

bool TCOMEngine::SendAdapterMode()
{
    if (FPhase == TLinkPhase::SwitchingAdapter) {
        // A second switch inside the first would save the borrowed 9600-baud settings as the
        // ones to restore and leave the port in them.
        AddLog(QStringLiteral("ERR"), QStringLiteral("Adapter mode switch already running; not started again."));
        return false;
    }
    const TLinkPhase outer = FPhase;
    // From here on, bytes that reach the engine are dropped and no transaction timer fires.
    setPhase(TLinkPhase::SwitchingAdapter);
    StopComTimer();
    // A heartbeat tick inside one of the waits below would send on the borrowed port.
    StopHBTimer();
    bool success = false;
    bool cancelled = false;
    for (int attempt = 0;; ++attempt) {
        quint8 result = 0;
        if (Adapter() == adt_USB) {
            TProgressOptions o;
            o.text = QStringLiteral("Accessing Tavix Adapter.\n\rSetting Com. Mode.");
            o.position = 100;
            auto progress = Feedback().showProgress(o);
            if (FProtokoll == prt_HART) {
                result = FTavix->GotoMode1(*FComPort);
                success = result == kTavixMode1Ok;
            } else if (FProtokoll == prt_MODE3) {
                result = FTavix->GotoMode3(*FComPort);
                success = result == kTavixMode3Ok;
            } else if (isModbus(FProtokoll)) {
                success = true;
            }
        } else if (Adapter() == adt_IrDA) {
            TProgressOptions o;
            o.text = attempt == 0 ? QStringLiteral("Accessing IrDA Adapter.\n\rSetting Com. Mode.")
                                  : QStringLiteral("Accessing IrDA Adapter.\n\rSetting Com. Mode FAILED! ...") +
                                        QStringLiteral(" Retry: %1/3").arg(attempt);
            o.maximum = kIrDAWakeSteps - 1;
            o.position = kIrDAWakeSteps - 1;
            o.cancelButton = true;
            auto progress = Feedback().showProgress(o);
            for (int k = 0; k < kIrDAWakeSteps; ++k) {
                if (progress->canceled()) {
                    StopHBTimer();
                    FHeartBeat.Active = false;
                    FLastTXRXInfo.FrameError = FERR_ADAPTERABORT;
                    cancelled = true;
                    break;
                }
                Delay(FAdapterDelayStep);
                progress->setPosition(k);
            }
            if (cancelled) break;
            FIrDA->IrDAAdapterType = IrDAAdapterType;
            if (FProtokoll == prt_HART) {
                result = FIrDA->GotoMode1(*FComPort);
                success = result == kIrDAModeOk;
            } else if (FProtokoll == prt_MODE3) {
                result = FIrDA->GotoMode3(*FComPort);
                success = result == kIrDAModeOk;
                if (!success) Feedback().beep();
            } else if (isModbus(FProtokoll)) {
                success = true;
            }
        } else {
            success = true;
        }
        // Only a missing or garbled answer is worth another attempt.
        if (success || result != TLinkAdapter::kNoAnswer || attempt + 1 >= kMaxAttempts) break;
    }
    if (!success) {
        if (!cancelled) {
            Feedback().showError(QStringLiteral("Com. Adapter not responding.\n\rAborting!\n\rPlease try again!"),
                                 TMessageButton::Abort);
            StopHBTimer();
            FHeartBeat.Active = false;
        }
        FLastTXRXInfo.FrameError = FERR_ADAPTERABORT;
    }
    setPhase(outer);
    if (outer == TLinkPhase::Idle) RestartHBTimer(); // a transaction restarts it when it ends
    return success;
}

} // namespace quentry
