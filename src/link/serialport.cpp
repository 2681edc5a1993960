#include "serialport.h"

namespace quentry {

void TSerialPort::EndUpdate()
{
    if (FUpdateDepth > 0 && --FUpdateDepth == 0 && FPendingApply) {
        FPendingApply = false;
        if (Connected()) ApplySettings();
    }
}

void TSerialPort::settingsChanged()
{
    if (FUpdateDepth > 0) {
        FPendingApply = true;
        return;
    }
    if (Connected()) ApplySettings();
}

void TSerialPort::SetSettings(const TSerialSettings& s)
{
    if (s == FSettings) return;
    FSettings = s;
    settingsChanged();
}

void TSerialPort::SetPortName(const QString& name)
{
    FSettings.portName = name; // takes effect at the next Open
}

void CopyPortSettings(const TSerialPort& from, TSerialPort& to, bool withFlowChoice)
{
    TSerialSettings s = to.Settings();
    const TSerialSettings& f = from.Settings();
    s.baudRate = f.baudRate;
    s.parity = f.parity;
    s.stopBits = f.stopBits;
    s.dataBits = f.dataBits;
    s.eventRxChar = f.eventRxChar;
    s.eventTxEmpty = f.eventTxEmpty;
    s.inputBufferSize = f.inputBufferSize;
    s.outCtsFlow = f.outCtsFlow;
    s.outDsrFlow = f.outDsrFlow;
    s.dtrControl = f.dtrControl;
    s.rtsControl = f.rtsControl;
    s.xonXoffIn = f.xonXoffIn;
    s.xonXoffOut = f.xonXoffOut;
    if (withFlowChoice) s.flowChoice = f.flowChoice;
    to.BeginUpdate();
    to.SetSettings(s);
    to.EndUpdate();
    to.SetHandlers(from.Handlers());
}

TLineErrors LineErrorsBetween(const TLineCounters& before, const TLineCounters& after)
{
    // Counters only grow; one that went down was reset by the driver and says nothing.
    TLineErrors e = 0;
    if (after.frame > before.frame) e |= le_Framing;
    if (after.parity > before.parity) e |= le_Parity;
    if (after.overrun > before.overrun) e |= le_Overrun;
    if (after.brk > before.brk) e |= le_Break;
    if (after.bufOverrun > before.bufOverrun) e |= le_RxOverrun;
    return e;
}

} // namespace quentry
