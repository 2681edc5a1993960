#include "adapters.h"

#include "waiting.h"
#include "wire/crc16.h"

#include <cmath>
#include <cstring>

namespace quentry {
namespace {

constexpr quint8 kWakeUp = 0x57; // "W"
constexpr int kOpenBoundMs = 2000;
constexpr int kSentBoundMs = 2000;

} // namespace

TLinkAdapter::TLinkAdapter(int answerTailMs, bool irdaHandlers)
    : FAnswerTailMs(answerTailMs), FIrdaHandlers(irdaHandlers)
{
    FTimer.setSingleShot(true);
    FTimer.setTimerType(Qt::PreciseTimer);
    connect(&FTimer, &QTimer::timeout, this, [this] { FTimerFired = true; });
}

quint8 TLinkAdapter::GetStatus(TSerialPort& p) { return modeCommand(p, mc_Status); }
quint8 TLinkAdapter::GotoProgram(TSerialPort& p) { return modeCommand(p, mc_Program); }
quint8 TLinkAdapter::GotoRun(TSerialPort& p) { return modeCommand(p, mc_Run); }
quint8 TLinkAdapter::GotoMode0(TSerialPort& p) { return modeCommand(p, mc_Mode0); }
quint8 TLinkAdapter::GotoMode1(TSerialPort& p) { return modeCommand(p, mc_Mode1); }
quint8 TLinkAdapter::GotoMode3(TSerialPort& p) { return modeCommand(p, mc_Mode3); }

quint8 TLinkAdapter::modeCommand(TSerialPort& port, TModeCommand c)
{
    const std::array<quint8, 2> bytes = commandBytes(c);
    FTxBuffer = QByteArray(reinterpret_cast<const char*>(bytes.data()), 2);
    FTxIndex = 2;
    if (!preparePort(port)) {
        restoreSavedPort(port);
        return kNoAnswer;
    }
    return runSequence(port, c);
}

bool TLinkAdapter::preparePort(TSerialPort& port)
{
    FComport = &port;
    FRxBuffer.fill(0);
    FRxIndex = 0;
    CopyPortSettings(port, FSaveComport, FIrdaHandlers);
    port.AbortAllAsync();
    port.ClearBuffer(true, true);

    TSerialSettings s = port.Settings();
    s.baudRate = 9600;
    s.dataBits = 8;
    s.parity = TParity::None;
    s.stopBits = 1;
    s.outCtsFlow = s.outDsrFlow = s.xonXoffIn = s.xonXoffOut = false;
    s.dtrControl = TLineControl::Disabled;
    s.rtsControl = TLineControl::Disabled;
    s.eventRxChar = s.eventTxEmpty = true;
    s.inputBufferSize = 65535;
    if (FIrdaHandlers) s.flowChoice = TFlowChoice::Custom;
    port.BeginUpdate();
    port.SetSettings(s);
    port.EndUpdate();

    TSerialHandlers h = port.Handlers();
    if (FIrdaHandlers) {
        h.afterOpen = nullptr;
        h.error = nullptr;
        h.afterClose = nullptr;
    } else {
        h.afterOpen = [] {};
        h.afterClose = [] {};
    }
    h.rxChar = [this](int n) { onRxChar(n); };
    h.txEmpty = [this] { onTxEmpty(); };
    port.SetHandlers(h);

    if (!port.Connected()) port.Open();
    return WaitUntil([&port] { return port.Connected(); }, kOpenBoundMs);
}

void TLinkAdapter::restoreSavedPort(TSerialPort& port) { CopyPortSettings(FSaveComport, port, FIrdaHandlers); }

void TLinkAdapter::onRxChar(int count)
{
    FComState = rxst_RX;
    FTimer.stop();
    FTimer.setInterval(int(std::lround(FAnswerTailMs * FTimeScale)));
    quint8 scratch[256];
    for (int left = count; left > 0;) {
        const int n = FComport ? FComport->Read(scratch, qMin(left, int(sizeof scratch))) : 0;
        if (n <= 0) break;
        // The answer buffer holds 1025 bytes; anything beyond is dropped.
        const int kept = qMin(n, kRxBufferSize - FRxIndex);
        if (kept > 0) std::memcpy(FRxBuffer.data() + FRxIndex, scratch, size_t(kept));
        FRxIndex += kept;
        left -= n;
    }
    FTimerFired = false;
    FTimer.start();
}

void TLinkAdapter::onTxEmpty()
{
    // A quick answer may already be arriving; it must not be forgotten.
    if (FComState == rxst_TX) FComState = rxst_WAIT;
}

void TLinkAdapter::Wait(int ms)
{
    const int scaled = int(std::lround(ms * FTimeScale));
    FTimerFired = false;
    FTimer.setInterval(scaled);
    FTimer.start();
    // Answer bytes restart the timer with the short tail; a line that never stops talking
    // still ends the wait.
    WaitUntil([this] { return FTimerFired; }, scaled + 5000);
    FTimer.stop();
}

void TLinkAdapter::waitUntilSent()
{
    WaitUntil([this] { return FComState != rxst_TX; }, kSentBoundMs);
}

void TLinkAdapter::appendChecksum(const std::array<quint8, 2>& command)
{
    const quint16 crc = CRC16(command.data(), 0, 2);
    FTxBuffer = QByteArray(reinterpret_cast<const char*>(command.data()), 2);
    FTxBuffer.append(char(quint8(crc)));
    FTxBuffer.append(char(quint8(crc >> 8)));
}

void TLinkAdapter::writeCommand(TSerialPort& port)
{
    FRxIndex = 0;
    FComState = rxst_TX;
    port.Write(reinterpret_cast<const quint8*>(FTxBuffer.constData()), int(FTxBuffer.size()));
}

quint8 AdapterAnswerResult(const quint8* answer, int count)
{
    if (count < 3 || CRC16(answer, 0, count) != 0) return TLinkAdapter::kNoAnswer;
    return answer[2];
}

quint8 TLinkAdapter::answerResult() const
{
    if (FComState != rxst_RX) return kNoAnswer;
    return AdapterAnswerResult(FRxBuffer.data(), FRxIndex);
}

// ---- Tavix -----------------------------------------------------------------------------

TTavix::TTavix() : TLinkAdapter(50, false) {}

std::array<quint8, 2> TTavix::commandBytes(TModeCommand c) const
{
    static const char* const kCommands[] = {"00", "01", "02", "03", "04", "05"};
    const char* s = kCommands[c];
    return {quint8(s[0]), quint8(s[1])};
}

quint8 TTavix::runSequence(TSerialPort& port, TModeCommand c)
{
    port.SetDTR(false);
    FComState = rxst_IDLE;
    port.SetDTR(true);
    ProcessPendingEvents();
    Wait(50);

    appendChecksum(commandBytes(c));
    writeCommand(port);
    waitUntilSent();

    Wait(50);
    port.SetDTR(false);
    ProcessPendingEvents();
    Wait(1000);

    const quint8 result = answerResult();
    restoreSavedPort(port);
    return result;
}

// ---- IrDA ------------------------------------------------------------------------------

TIrDA::TIrDA() : TLinkAdapter(400, true) {}

std::array<quint8, 2> TIrDA::commandBytes(TModeCommand c) const
{
    switch (c) {
    case mc_Status: return {0x00, 0x00};
    case mc_Program: return {'0', '1'};
    case mc_Run: return {'7', '2'};
    case mc_Mode0: return {'7', '3'};
    case mc_Mode1: return {'7', '0'};
    case mc_Mode3: return {'0', '0'};
    }
    return {0, 0};
}

quint8 TIrDA::runSequence(TSerialPort& port, TModeCommand c)
{
    const int baudstep = c == mc_Mode3 ? 2 : 0;
    return IrDAAdapterType == iratype_TAMBO ? TAMBO(port, baudstep) : RS232(port, baudstep);
}

quint8 TIrDA::RS232(TSerialPort& port, int baudstep)
{
    const std::array<quint8, 2> command{quint8(FTxBuffer.at(0)), quint8(FTxBuffer.at(1))};
    port.SetDTR(false);
    port.SetRTS(false);
    ProcessPendingEvents();
    port.SetDTR(true);
    FComState = rxst_IDLE;

    appendChecksum(command);
    Wait(500);

    const quint8 wake = kWakeUp;
    port.Write(&wake, 1);
    ProcessPendingEvents();
    Wait(500);

    writeCommand(port);
    ProcessPendingEvents();
    waitUntilSent();
    Wait(2000);

    const quint8 result = answerResult();
    restoreSavedPort(port);
    Wait(200);
    for (int i = 0; i < baudstep; ++i) {
        port.SetRTS(false);
        ProcessPendingEvents();
        port.SetRTS(true);
        ProcessPendingEvents();
    }
    Wait(100);
    return result;
}

quint8 TIrDA::TAMBO(TSerialPort& port, int /*baudstep*/)
{
    const std::array<quint8, 2> command{quint8(FTxBuffer.at(0)), quint8(FTxBuffer.at(1))};
    port.SetDTR(false);
    port.SetRTS(true);
    ProcessPendingEvents();
    port.SetRTS(false);
    Wait(100);
    port.SetRTS(true);
    Wait(100);
    FComState = rxst_IDLE;

    appendChecksum(command);
    const quint8 wake = kWakeUp;
    port.Write(&wake, 1);
    ProcessPendingEvents();
    Wait(500);

    writeCommand(port);
    ProcessPendingEvents();
    waitUntilSent();
    Wait(1000);

    const quint8 result = answerResult();
    port.SetDTR(true);
    Wait(100);
    const quint8 tail1 = 0x83, tail2 = 0x11;
    port.Write(&tail1, 1);
    ProcessPendingEvents();
    port.Write(&tail2, 1);
    Wait(100);
    port.SetDTR(false);

    if (FRestoreFast) FRestoreFast();
    port.SetDTR(false);
    return result;
}

} // namespace quentry
