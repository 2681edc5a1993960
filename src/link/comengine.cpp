#include "comengine.h"

#include "adapters.h"
#include "fastframe.h"
#include "hartframe.h"
#include "qtserialport.h"
#include "waiting.h"
#include "wire/crc16.h"

#include <QSerialPortInfo>
#include <cstring>

namespace quentry {
namespace {

// No reply of either protocol is longer than this; bytes past it no longer extend the
// byte gap, so a line that keeps babbling still gets its reply evaluated.
constexpr int kLongestPlausibleReply = 1024;
// Slack on top of the modelled line time before a silent transmit-empty counts as a fault:
// longer than the port's own grace for a slow driver, so the port reports first.
constexpr int kTxWatchdogSlackMs = kTxDrainGraceMs + 500;
// Upper bound on an adapter mode switch (four IrDA attempts with their waits).
constexpr int kAdapterSwitchBoundMs = 60000;

QString lineErrorText(TLineError e)
{
    switch (e) {
    case le_Framing: return QStringLiteral("Frame Error detected!");
    case le_Parity: return QStringLiteral("Parity Error detected!");
    case le_Overrun: return QStringLiteral("Overrun Error detected!");
    case le_Break: return QStringLiteral("Break Event detected!");
    case le_IO: return QStringLiteral("IO Error detected!");
    case le_Mode: return QStringLiteral("Mode Error detected!");
    case le_RxOverrun: return QStringLiteral("Receive Overrun Error detected!");
    case le_TxFull: return QStringLiteral("Transmitt Buffer Full!");
    }
    return {};
}

} // namespace

TCOMEngine::TCOMEngine(QObject* AOwner, std::unique_ptr<TSerialPort> port)
    : QObject(AOwner), FComPort(port ? std::move(port) : std::make_unique<TQtSerialPort>()),
      RxBuffer(kRxBufferSize, 0)
{
    ComTimer.setSingleShot(true);
    ComTimer.setTimerType(Qt::PreciseTimer);
    connect(&ComTimer, &QTimer::timeout, this, &TCOMEngine::onComTimer);
    FTxWatchdog.setSingleShot(true);
    FTxWatchdog.setTimerType(Qt::PreciseTimer);
    connect(&FTxWatchdog, &QTimer::timeout, this, &TCOMEngine::onTxWatchdog);
    JvTimerDelay.setSingleShot(true);
    JvTimerDelay.setTimerType(Qt::PreciseTimer);
    JvTimerHeartBeat.setSingleShot(true);
    JvTimerHeartBeat.setTimerType(Qt::PreciseTimer);
    connect(&JvTimerHeartBeat, &QTimer::timeout, this, &TCOMEngine::onHeartBeatTick);
    FTavix = std::make_unique<TTavix>();
    FIrDA = std::make_unique<TIrDA>();
    FIrDA->SetRestoreFast([this] { _OpenFAST(); });

    Init();
    FLogQueue.clear();
    AddLog(QStringLiteral("SYS"), QStringLiteral("Communication Core Class Created Successfully."));
    FComState = rxst_IDLE;
    FAdapterType = adt_None;
    FMaxRetrycount = 5;
    FTime_WaitAnswer = 500;
    FTime_ByteGap = 200;
    FTime_ErrorWait = 6000;
    StopComTimer();
}

TCOMEngine::~TCOMEngine()
{
    JvTimerDelay.stop();
    ComTimer.stop();
    FTxWatchdog.stop();
    JvTimerHeartBeat.stop();
    OnComLogEvent = nullptr;
    OnComStateChangedEvent = nullptr;
    if (FComPort->Connected()) {
        FComPort->DetachHandlers();
        FComPort->ClearBuffer(true, true);
        FComPort->Close();
    }
}

void TCOMEngine::Init()
{
    StopHBTimer();
    ClrStatistic();
    FProtokoll = prt_HART;
    RxIndex = 0;
    RxOffset = 0;
    TxIndex = 0;
}

void TCOMEngine::ClrStatistic()
{
    FTxCount = 0;
    FRxCount = 0;
    FErrorCount = 0;
}

// ---- properties ------------------------------------------------------------------------

void TCOMEngine::SetMaxRetrycount(quint8 v)
{
    if (v < 10) FMaxRetrycount = v;
}

void TCOMEngine::SetTime_WaitAnswer(quint32 v)
{
    FTime_WaitAnswer = (v > 10 && v < 5000 && v > FTime_ByteGap) ? v : 5000;
}

void TCOMEngine::SetTime_ByteGap(quint32 v)
{
    if (v < 20) {
        FTime_ByteGap = 20;
        FTime_WaitAnswer = 30;
    } else if (v > 5000) {
        FTime_ByteGap = 5000;
        FTime_WaitAnswer = 5010;
    } else {
        FTime_ByteGap = v;
    }
}

void TCOMEngine::SetTime_ErrorWait(quint32 v) { FTime_ErrorWait = v >= 5000 ? 5000 : v; }

bool TCOMEngine::Connected() const { return FComPort->Connected(); }

quint16 TCOMEngine::Port() const
{
    bool ok = false;
    const int n = FComPort->PortName().mid(3, 3).toInt(&ok);
    return ok && n >= 0 ? quint16(n) : 1;
}

void TCOMEngine::SetPort(quint16 n) { FComPort->SetPortName(QStringLiteral("COM%1").arg(n)); }

QString TCOMEngine::PortName() const { return FComPort->PortName(); }

void TCOMEngine::SetPortName(const QString& name) { FComPort->SetPortName(name); }

TAdapterType TCOMEngine::Adapter() const
{
    if (FAdapterType == adt_USB) return adt_USB;
    if (FAdapterType == adt_IrDA) return adt_IrDA;
    return adt_None;
}

// ---- port ------------------------------------------------------------------------------

bool TCOMEngine::OpenCom(quint16 f_port)
{
    if (FProtokoll == prt_HART) return OpenHART(f_port);
    if (FProtokoll == prt_MODE3) return OpenFAST(f_port);
    return false;
}

bool TCOMEngine::OpenComByName(const QString& name)
{
    if (FProtokoll == prt_HART) {
        prepareHartTimes();
        SetPortName(name);
        return openHartOnCurrentName();
    }
    if (FProtokoll == prt_MODE3) {
        prepareFastTimes();
        SetPortName(name);
        return _OpenFAST();
    }
    return false;
}

void TCOMEngine::prepareHartTimes()
{
    ClrStatistic();
    FTime_WaitAnswer = 500;
    if (FTime_ByteGap == 0) FTime_ByteGap = 200;
    FTime_ErrorWait = 6000;
}

void TCOMEngine::prepareFastTimes()
{
    ClrStatistic();
    FTime_WaitAnswer = 250;
    if (FTime_ByteGap == 0) FTime_ByteGap = 200;
    FTime_ErrorWait = 2000;
}

bool TCOMEngine::OpenHART(quint16 f_port)
{
    prepareHartTimes();
    if (f_port >= 101) return true;
    SetPort(f_port);
    return openHartOnCurrentName();
}

bool TCOMEngine::openHartOnCurrentName()
{
    TSerialSettings s = FComPort->Settings();
    s.baudRate = 1200;
    s.dataBits = 8;
    s.parity = TParity::Odd;
    s.stopBits = 1;
    s.outCtsFlow = s.outDsrFlow = s.xonXoffIn = s.xonXoffOut = false;
    s.dtrControl = TLineControl::Disabled;
    s.inputBufferSize = 65535;
    s.eventRxChar = s.eventTxEmpty = true;
    FComPort->BeginUpdate();
    FComPort->SetSettings(s);
    FComPort->EndUpdate();
    FProtokoll = prt_HART;
    attachPortHandlers();
    if (!openPort()) return false;
    FComPort->SetDTR(true);
    SetComState(rxst_IDLE);
    return true;
}

bool TCOMEngine::OpenFAST(quint16 f_port)
{
    prepareFastTimes();
    if (f_port >= 101) return true;
    SetPort(f_port);
    return _OpenFAST();
}

bool TCOMEngine::_OpenFAST()
{
    StopHBTimer();
    FProtokoll = prt_MODE3;
    const bool irda = Adapter() == adt_IrDA;
    TSerialSettings s = FComPort->Settings();
    s.baudRate = 57600;
    s.dataBits = 8;
    s.parity = TParity::None;
    s.stopBits = 1;
    s.outCtsFlow = s.outDsrFlow = s.xonXoffIn = s.xonXoffOut = false;
    s.dtrControl = irda ? TLineControl::Enabled : TLineControl::Disabled;
    s.rtsControl = irda ? TLineControl::Enabled : TLineControl::Disabled;
    s.flowChoice = TFlowChoice::None; // the IrDA switch leaves its own choice behind
    s.inputBufferSize = 65535;
    s.eventRxChar = s.eventTxEmpty = true;
    FComPort->BeginUpdate();
    FComPort->SetSettings(s);
    FComPort->EndUpdate();
    attachPortHandlers();
    if (!openPort()) return false;
    SetComState(rxst_IDLE);
    return true;
}

bool TCOMEngine::openPort()
{
    if (FComPort->Connected()) return true;
    if (FComPort->Open()) return true;
    // Reported here instead of thrown through the caller: the engineer sees why.
    AddLog(QStringLiteral("ERROR"), PortOpenFailureText(*this));
    return false;
}

void TCOMEngine::CloseCom(bool silent)
{
    StopComTimer();
    SetComState(rxst_IDLE);
    if (!silent) {
        FComPort->Close();
        WaitUntil([this] { return !FComPort->Connected(); }, 2000);
        FComPort->DetachHandlers();
    } else {
        FComPort->DetachHandlers();
        FComPort->Close();
    }
}

void TCOMEngine::GetComPortList(QStringList& List)
{
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports) List.append(info.portName());
}

bool TCOMEngine::CheckPortExistence(quint16 port)
{
    QStringList names;
    GetComPortList(names);
    for (const QString& name : names) {
        bool ok = false;
        const int n = name.mid(3, 3).toInt(&ok);
        if (ok && n == port) return true;
    }
    return false;
}

void TCOMEngine::attachPortHandlers()
{
    TSerialHandlers h;
    h.afterOpen = [this] { onPortOpened(); };
    h.afterClose = [this] { onPortClosed(); };
    h.error = [this](TLineErrors e) { onPortError(e); };
    h.rxChar = [this](int n) { onRxChar(n); };
    h.txEmpty = [this] { onTxEmpty(); };
    FComPort->SetHandlers(h);
}

void TCOMEngine::onPortOpened()
{
    StopComTimer();
    SetComState(rxst_IDLE);
    AddLog(QStringLiteral("SYS"), FComPort->PortName() + QStringLiteral(" is open."));
}

void TCOMEngine::onPortClosed()
{
    AddLog(QStringLiteral("SYS"), FComPort->PortName() + QStringLiteral(" closed."));
    if (takesReplyBytes()) {
        // The line went away under a request (a pulled cable): end it now, not after the retries.
        FLastTXRXInfo.FrameError = FERR_INTERFACE;
        endTransaction();
    }
}

void TCOMEngine::onPortError(TLineErrors errors)
{
    static const TLineError kOrder[] = {le_Framing, le_Parity, le_Overrun, le_Break,
                                        le_IO,      le_Mode,   le_RxOverrun, le_TxFull};
    for (TLineError e : kOrder)
        if (errors & e) AddLog(QStringLiteral("ERROR"), lineErrorText(e));
}

bool TCOMEngine::takesReplyBytes() const
{
    return FPhase == TLinkPhase::Sending || FPhase == TLinkPhase::Waiting || FPhase == TLinkPhase::Receiving;
}

void TCOMEngine::dropStrayBytes(int count)
{
    // Nobody asked: such bytes must not land in the record of a command that returned, nor
    // start a reply while the adapter is being switched.
    quint8 scratch[512];
    int dropped = 0, shown = 0;
    for (int left = count; left > 0;) {
        const int n = FComPort->Read(scratch + shown, qMin(left, int(sizeof scratch) - shown));
        if (n <= 0) break;
        dropped += n;
        left -= n;
        shown = qMin(shown + n, int(sizeof scratch) - 64); // keep the head of the burst for the log
    }
    if (dropped == 0 || FStrayLogged) return;
    FStrayLogged = true; // once per burst: a babbling line does not flood the log
    const QString where = FPhase == TLinkPhase::SwitchingAdapter ? QStringLiteral("while the adapter is switched")
                                                                 : QStringLiteral("outside a transaction");
    AddLog(QStringLiteral("ERR"), QStringLiteral("%1 byte(s) received %2 dropped: %3")
                                      .arg(dropped)
                                      .arg(where, HexDump(scratch, qMin(dropped, shown))));
}

void TCOMEngine::onRxChar(int count)
{
    if (!takesReplyBytes()) {
        dropStrayBytes(count);
        return;
    }
    FTxWatchdog.stop(); // a reply that already started shows the request went out
    const bool extendsReply = FRxTotalThisReply < kLongestPlausibleReply;
    if (extendsReply) StopComTimer();
    for (int left = count; left > 0;) {
        quint8 scratch[512];
        const int room = (kRxBufferSize - 1) - RxIndex; // RxIndex is 16 bits wide
        const int want = qMin(left, int(sizeof scratch));
        const int n = FComPort->Read(scratch, want);
        if (n <= 0) break;
        const int kept = qMin(n, room);
        if (kept > 0) std::memcpy(RxBuffer.data() + RxIndex, scratch, size_t(kept));
        RxIndex = quint16(qMin(RxIndex + kept, kRxBufferSize - 1));
        FRxTotalThisReply += n;
        left -= n;
    }
    setPhase(TLinkPhase::Receiving);
    SetComState(rxst_RX);
    if (FQuickReplies && quickReplyComplete()) {
        StopComTimer();
        replyHandler();
        return;
    }
    if (extendsReply) SetTimerMode(tmm_ByteGap);
}

bool TCOMEngine::quickReplyComplete()
{
    const int end = FProtokoll == prt_HART ? HartCompleteFrame(RxBuffer.data(), RxIndex)
                                           : FastCompleteFrame(RxBuffer.data(), RxIndex);
    if (end <= 0) return false;
    if (end < RxIndex) {
        // What follows a whole frame is not part of it: handled as bytes nobody asked for.
        AddLog(QStringLiteral("ERR"), QStringLiteral("%1 byte(s) after the reply dropped: %2")
                                          .arg(RxIndex - end)
                                          .arg(HexDump(RxBuffer.data() + end, qMin(RxIndex - end, 64))));
        FStrayLogged = true;
        RxIndex = quint16(end);
    }
    return true;
}

void TCOMEngine::onTxEmpty()
{
    // Only the frame just written counts; a reply that already started wins.
    if (FPhase != TLinkPhase::Sending) return;
    FTxWatchdog.stop();
    setPhase(TLinkPhase::Waiting);
    SetTimerMode(tmm_WaitAnswer);
    SetComState(rxst_WAIT);
}

void TCOMEngine::onTxWatchdog()
{
    if (FPhase != TLinkPhase::Sending) return;
    AddLog(QStringLiteral("ERROR"), QStringLiteral("The port did not report the request sent; request abandoned."));
    FLastTXRXInfo.FrameError = FERR_INTERFACE;
    endTransaction();
}

void TCOMEngine::setPhase(TLinkPhase p)
{
    if (p != FPhase) FStrayLogged = false;
    FPhase = p;
}

void TCOMEngine::endTransaction()
{
    StopComTimer();
    FTxWatchdog.stop();
    setPhase(TLinkPhase::Closing);
}

// ---- state and timer -------------------------------------------------------------------

void TCOMEngine::SetComState(TComState s)
{
    FComState = s;
    if (OnComStateChangedEvent) OnComStateChangedEvent(this, s);
}

void TCOMEngine::SetTimerMode(TTimerMode mode)
{
    ComTimer.stop();
    ComTimerMode = mode;
    int interval = 20;
    switch (mode) {
    case tmm_WaitAnswer: interval = int(FTime_WaitAnswer + 5 + 50u * retrycount); break;
    case tmm_ByteGap: interval = int(FTime_ByteGap + 50u * retrycount); break;
    case tmm_ErrorWait: interval = int(FTime_ErrorWait); break;
    case tmm_TxGuard:
    case tmm_NextQuery:
    case tmm_IDLE: interval = 20; break;
    }
    ComTimer.start(interval);
}

void TCOMEngine::StopComTimer()
{
    ComTimer.stop();
    ComTimerMode = tmm_IDLE;
}

void TCOMEngine::onComTimer()
{
    ComTimer.stop();
    const TTimerMode mode = ComTimerMode;
    ComTimerMode = tmm_IDLE;
    // A timer acts only in the phase that started it; one that outlived its phase does nothing.
    if (mode == tmm_WaitAnswer && FPhase == TLinkPhase::Waiting) {
        if (!Retry()) replyHandler();
    } else if (mode == tmm_ByteGap && FPhase == TLinkPhase::Receiving) {
        replyHandler();
    }
}

// ---- transaction -----------------------------------------------------------------------

void TCOMEngine::beginCommand(TTXRXInfo& f_device, quint8 cmd, bool hart, quint8* replyTarget,
                              int replyCapacity)
{
    f_device.cmd = cmd;
    if (hart) f_device.bcnt = 0;
    // Issued from inside another command's wait: the buffers and the reply target belong to
    // that command until it ends; this one is refused in Transact.
    FRefusedCommand = FPhase != TLinkPhase::Idle;
    if (FRefusedCommand) return;
    LastPointer = replyTarget;
    LastPointerCapacity = replyTarget ? replyCapacity : 0;
    TxIndex = 0;
    if (hart) FLastTXRXInfo = f_device;
}

void TCOMEngine::appendRequest(const quint8* bytes, int count)
{
    if (FRefusedCommand) return;
    const int n = qMin(count, kTxBufferSize - TxIndex);
    std::memcpy(TxBuffer.data() + TxIndex, bytes, size_t(n));
    TxIndex = quint16(TxIndex + n);
}

void TCOMEngine::Transact(TTXRXInfo& f_device)
{
    if (FRefusedCommand || FPhase != TLinkPhase::Idle) {
        FRefusedCommand = false;
        AddLog(QStringLiteral("ERROR"), QStringLiteral("Command %1 refused: another command is outstanding.")
                                            .arg(f_device.cmd));
        f_device.FrameError = FERR_INTERFACE;
        return;
    }
    StopHBTimer();
    bool sent = false;
    if (FProtokoll == prt_HART || FProtokoll == prt_MODE3) sent = sendRequest(f_device);

    if (sent) {
        const int bound = transactionBoundMs();
        const bool ended = WaitUntil([this] { return FPhase == TLinkPhase::Closing; }, bound);
        if (!ended) {
            AddLog(QStringLiteral("ERROR"),
                   QStringLiteral("No end of the transaction after %1 ms; abandoned.").arg(bound));
            FLastTXRXInfo.FrameError = FERR_INTERFACE;
        }
        f_device = FLastTXRXInfo;
    } else {
        // Nothing went out: say so, rather than handing back the outcome of an older request.
        f_device.FrameError = FERR_INTERFACE;
        FLastTXRXInfo = f_device;
    }
    StopComTimer();
    FTxWatchdog.stop();
    LastPointer = nullptr;
    LastPointerCapacity = 0;
    setPhase(TLinkPhase::Idle);
    RestartHBTimer();
}

int TCOMEngine::transactionBoundMs() const
{
    const qint64 attempts = FMaxRetrycount + 1;
    const qint64 perAttempt = lineTimeMs(TxIndex) + kTxWatchdogSlackMs + FTime_WaitAnswer + 5 +
                              lineTimeMs(kLongestPlausibleReply) + FTime_ByteGap + 100 * FMaxRetrycount;
    qint64 bound = attempts * perAttempt + 1000;
    if (FProtokoll == prt_MODE3) bound += kAdapterSwitchBoundMs;
    return int(qMin<qint64>(bound, 30 * 60 * 1000));
}

qint64 TCOMEngine::lineTimeMs(int bytes) const
{
    const TSerialSettings& s = FComPort->Settings();
    return (qint64(bytes) * s.bitsPerByte() * 1000) / qMax(1, s.baudRate) + 1;
}

bool TCOMEngine::sendRequest(TTXRXInfo& f_device)
{
    retrycount = 0;
    if (!FComPort->Connected()) {
        AddLog(QStringLiteral("ERROR"), QStringLiteral("No open port"));
        return false;
    }
    const bool hart = FProtokoll == prt_HART;
    const QByteArray frame = hart ? HartBuildRequest(f_device, TxBuffer.data(), TxIndex)
                                  : FastBuildRequest(f_device.cmd, TxBuffer.data(), TxIndex);
    if (frame.size() > kTxBufferSize) {
        AddLog(QStringLiteral("ERROR"), QStringLiteral("Request does not fit the transmit buffer."));
        return false;
    }
    std::memcpy(TxBuffer.data(), frame.constData(), size_t(frame.size()));
    TxIndex = quint16(frame.size());
    LastTxIndex = TxIndex;
    if (!hart)
        AddLog(QStringLiteral("SEND"), QStringLiteral("Sending Command: %1").arg(f_device.cmd));
    else if (f_device.IsLongAddress)
        AddLog(QStringLiteral("SEND"),
               QStringLiteral("Sending Command: %1 to Device:%2").arg(f_device.cmd).arg(f_device.deviceId()));
    else
        AddLog(QStringLiteral("SEND"),
               QStringLiteral("Sending Command: %1 to Device: %2").arg(f_device.cmd).arg(f_device.Saddress));
    logFrame(QStringLiteral("STX"), TxBuffer.data(), TxIndex);
    f_device.FrameError = FRERR_OK;
    FLastTXRXInfo = f_device;
    FRequestInfo = f_device;
    Transmit(); // a refused write ends the transaction itself
    return true;
}

void TCOMEngine::logFrame(const QString& classStr, const quint8* bytes, int count)
{
    // Replies under FAST show their header and status byte in brackets; everything else is
    // the plain dump.
    const bool fastReply = classStr == QLatin1String("ACK") && FProtokoll != prt_HART;
    AddLog(classStr, fastReply ? FastAckDump(bytes, count) : HexDump(bytes, count));
}

bool TCOMEngine::Transmit()
{
    // Whatever timer the previous attempt left running belongs to it.
    StopComTimer();
    if (!FComPort->Connected()) {
        AddLog(QStringLiteral("ERROR"), QStringLiteral("No open port"));
        FLastTXRXInfo.FrameError = FERR_INTERFACE; // nothing can arrive: end the transaction
        endTransaction();
        return false;
    }
    purgePort();
    // Every send, first or repeated, starts from an empty reply buffer.
    std::fill(RxBuffer.begin(), RxBuffer.end(), quint8(0));
    RxIndex = 0;
    FRxTotalThisReply = 0;
    setPhase(TLinkPhase::Sending);
    SetComState(rxst_TX);
    ++FTxCount;
    FTxWatchdog.start(int(lineTimeMs(TxIndex) + kTxWatchdogSlackMs));
    if (!FComPort->Write(TxBuffer.data(), TxIndex)) {
        AddLog(QStringLiteral("ERROR"), QStringLiteral("Write failed: %1").arg(FComPort->ErrorString()));
        FLastTXRXInfo.FrameError = FERR_INTERFACE;
        endTransaction();
        return false;
    }
    return true;
}

bool TCOMEngine::Retry()
{
    if (TxIndex == 0) {
        AddLog(QStringLiteral("ERR"), QStringLiteral("Nothing to send!"));
        FLastTXRXInfo.FrameError = FRERR_NOFRAME;
        return false;
    }
    if (retrycount < FMaxRetrycount) {
        ++retrycount;
        // The request's own command and address: a failed parse has overwritten the reply fields.
        const quint32 device = FRequestInfo.IsLongAddress ? FRequestInfo.deviceId() : FRequestInfo.Saddress;
        AddLog(QStringLiteral("RETRY"), QStringLiteral("Retry:%1/%2 Sending Command: %3 to Device:%4")
                                            .arg(retrycount)
                                            .arg(FMaxRetrycount)
                                            .arg(FRequestInfo.cmd)
                                            .arg(device));
        logFrame(QStringLiteral("STX"), TxBuffer.data(), LastTxIndex);
        FLastTXRXInfo.FrameError = FRERR_OK;
        TxIndex = LastTxIndex;
        Transmit(); // a refused write ends the transaction itself
        return true;
    }
    FLastTXRXInfo.FrameError = FRERR_NOFRAME;
    AddLog(QStringLiteral("ERR"), QStringLiteral("Maximum retrycount reached! No frame detected!"));
    return false;
}

void TCOMEngine::replyHandler()
{
    if (FProtokoll == prt_HART) hartReplyHandler();
    else if (FProtokoll == prt_MODE3) fastReplyHandler();
}

void TCOMEngine::hartReplyHandler()
{
    if (FLastTXRXInfo.FrameError == FRERR_NOFRAME) {
        closingSteps();
        return;
    }
    SetComState(rxst_READY);
    int offset = RxOffset;
    TFrameError e = FLastTXRXInfo.FrameError;
    if (e == FRERR_OK) e = HartParseReply(RxBuffer.data(), RxIndex, FLastTXRXInfo, offset);
    RxOffset = quint16(offset);
    const bool refused = HartDecodeResponse(FLastTXRXInfo.ApiError, FLastResponse);
    // Bit 7 of the response code: the transmitter got our request garbled and sent no data.
    const bool garbledRequest = e == FRERR_OK && (FLastTXRXInfo.ApiError & 0x8000);
    if (e == FRERR_OK && FLastTXRXInfo.cmd != FRequestInfo.cmd) {
        AddLog(QStringLiteral("ERR"), QStringLiteral("Reply carries command %1, the request was command %2.")
                                          .arg(FLastTXRXInfo.cmd)
                                          .arg(FRequestInfo.cmd));
        e = FRERR_INVALIDFRAME;
    } else if (e == FRERR_OK && refused) {
        e = FERR_HARTDEVICE;
    }
    FLastTXRXInfo.FrameError = e;
    logFrame(QStringLiteral("ACK"), RxBuffer.data(), RxIndex);

    if (garbledRequest) e = FRERR_INVALIDFRAME;
    switch (e) {
    case FRERR_LADDR:
    case FRERR_SADDR:
        RxIndex = 0;
        if (FComPort->Connected()) purgePort();
        endTransaction();
        return;
    case FERR_HARTDEVICE:
        AddLog(QStringLiteral("FAILURE"), QStringLiteral("Device Error: ") + FLastResponse.FirstByte);
        ++FErrorCount;
        closingSteps();
        return;
    case FRERR_INVALIDFRAME:
    case FRERR_CHKSUM:
        AddLog(QStringLiteral("ANALISYS"),
               QStringLiteral("Received Frame Error! ") + FLastResponse.FirstByte.toUpper());
        ++FErrorCount;
        RxIndex = 0;
        purgePort();
        if (!Retry()) endTransaction();
        return;
    case FRERR_OK: {
        const int size = HartReplyDataSize(FLastTXRXInfo.cmd);
        // Data start two bytes after the response code; the checksum is the last byte.
        const int carried = qMax(0, int(RxIndex) - 1 - (RxOffset + 2));
        const int needed = replyDataNeeded(size);
        if (carried < needed) {
            // A reply without the data its command defines (response codes 5 and 6 can
            // come alone): nothing is copied, so no zeros pass for readings.
            AddLog(QStringLiteral("ERR"), QStringLiteral("Reply to command %1 carries %2 data byte(s) of %3; %4")
                                              .arg(FLastTXRXInfo.cmd)
                                              .arg(carried)
                                              .arg(needed)
                                              .arg(FLastResponse.FirstByte));
            ++FErrorCount;
            FLastTXRXInfo.FrameError = FRERR_SIZE;
            closingSteps();
            return;
        }
        ++FRxCount;
        AddLog(QStringLiteral("ANALISYS"), QStringLiteral("Processing command (T/R): %1/%2, %3")
                                               .arg(FLastTXRXInfo.cmd)
                                               .arg(FLastTXRXInfo.cmd)
                                               .arg(FLastResponse.FirstByte));
        if (size < 0) AddLog(QStringLiteral("ERR"), QStringLiteral("UNKOWN Command!"));
        else copyReplyData(RxOffset + 2, size);
        closingSteps();
        return;
    }
    default: closingSteps(); return;
    }
}

void TCOMEngine::fastReplyHandler()
{
    if (FLastTXRXInfo.FrameError == FRERR_NOFRAME) {
        // Every transmission went unanswered: the adapter may have fallen out of FAST mode.
        if (!SendAdapterMode()) {
            AddLog(QStringLiteral("FERR"), FrameErrorMessage(FLastTXRXInfo.FrameError));
            ++FErrorCount;
            RxIndex = 0;
            purgePort();
            endTransaction(); // the state is left as it was
            return;
        }
        closingSteps();
        return;
    }
    SetComState(rxst_READY);
    int lengthField = 0;
    TFrameError e = FastParseReply(RxBuffer.data(), RxIndex, FLastTXRXInfo, lengthField);
    RxOffset = 3;
    if (e == FRERR_OK && FLastTXRXInfo.cmd != FRequestInfo.cmd) e = FRERR_INVALIDFRAME;
    FLastTXRXInfo.FrameError = e;
    logFrame(QStringLiteral("ACK"), RxBuffer.data(), RxIndex);
    const QString sizes = QStringLiteral(" -- Size (H/R): %1/%2").arg(lengthField).arg(int(RxIndex) - 5);
    if (e != FRERR_OK) {
        AddLog(QStringLiteral("FERR"), FrameErrorMessage(e) + sizes);
        ++FErrorCount;
        RxIndex = 0;
        purgePort();
        if (!Retry()) endTransaction();
        return;
    }
    const int size = FastReplyDataSize(FLastTXRXInfo.cmd);
    const int carried = int(RxIndex) - 2 - kFastReplyDataOffset;
    const int needed = replyDataNeeded(size);
    if (carried < needed) {
        // A whole frame, but without the data its command defines: nothing is copied.
        AddLog(QStringLiteral("FERR"), FrameErrorMessage(FRERR_SIZE) + sizes +
                                           QStringLiteral(" -- command %1 needs %2 data byte(s)")
                                               .arg(FLastTXRXInfo.cmd)
                                               .arg(needed));
        ++FErrorCount;
        FLastTXRXInfo.FrameError = FRERR_SIZE;
        closingSteps();
        return;
    }
    ++FRxCount;
    AddLog(QStringLiteral("ANALISYS"), QStringLiteral("Processing command (T/R): %1/%2")
                                           .arg(FLastTXRXInfo.cmd)
                                           .arg(FLastTXRXInfo.cmd) +
                                           sizes);
    if (size < 0) AddLog(QStringLiteral("FERR"), QStringLiteral("UNKOWN Command!"));
    else copyReplyData(kFastReplyDataOffset, size);
    closingSteps();
}

void TCOMEngine::closingSteps()
{
    RxIndex = 0;
    purgePort();
    SetComState(rxst_IDLE);
    endTransaction();
}

int TCOMEngine::replyDataNeeded(int tableSize) const
{
    // What the caller's record takes of the reply: the command's data, bounded by the record.
    if (!LastPointer || tableSize <= 0) return 0;
    return qMin(tableSize, LastPointerCapacity);
}

void TCOMEngine::copyReplyData(int from, int size)
{
    const int n = replyDataNeeded(size);
    if (n > 0) std::memcpy(LastPointer, RxBuffer.data() + from, size_t(n));
}

void TCOMEngine::purgePort()
{
    if (FComPort->Connected()) FComPort->ClearBuffer(true, true);
}

// ---- heartbeat, delay, log -------------------------------------------------------------

void TCOMEngine::SetHeartBeatActive(bool v)
{
    FHeartBeat.Active = v && Adapter() == adt_IrDA;
    if (FHeartBeat.Active) StartHBTimer();
    else StopHBTimer();
}

void TCOMEngine::StartHBTimer()
{
    FHeartBeatTimerOn = true;
    JvTimerHeartBeat.start(0); // the first tick comes at once
}

void TCOMEngine::StopHBTimer()
{
    FHeartBeatTimerOn = false;
    JvTimerHeartBeat.stop();
}

void TCOMEngine::RestartHBTimer()
{
    if (!FHeartBeat.Active) return;
    StopHBTimer();
    ProcessPendingEvents();
    // A transaction just ended, so the link is awake: the next beat is a full period away.
    FHeartBeatTimerOn = true;
    JvTimerHeartBeat.start(1000);
}

void TCOMEngine::onHeartBeatTick()
{
    if (!FHeartBeatTimerOn) return; // switched off after this tick was already due
    StopHBTimer();
    if (Adapter() == adt_IrDA) {
        TTXRXInfo info = FLastTXRXInfo;
        TFAST_RDMEAS scratch{};
        FAST_RDMEAS(info, scratch);
    }
    if (FHeartBeat.Active) {
        FHeartBeatTimerOn = true;
        JvTimerHeartBeat.start(1000);
    }
}

void TCOMEngine::Delay(quint32 ms)
{
    bool expired = false;
    auto c = connect(&JvTimerDelay, &QTimer::timeout, this, [&expired] { expired = true; });
    JvTimerDelay.start(int(ms));
    WaitUntil([&expired] { return expired; }, int(ms) + 1000);
    JvTimerDelay.stop();
    disconnect(c);
}

int TCOMEngine::AddLog(const QString& classStr, const QString& text)
{
    if (int(FLogQueue.size()) >= kLogQueueCapacity) {
        FLogErrorState = log_FULL;
        return -1;
    }
    TMSG_Struct m{QDateTime::currentDateTime(), classStr, text};
    if (OnComLogEvent) OnComLogEvent(this, m.Timestamp, m.ClassStr, m.MessageStr);
    else FLogQueue.push_back(std::move(m));
    FLogErrorState = log_IDLE;
    return int(FLogQueue.size());
}

int TCOMEngine::ReadComLog(QDateTime& f_Timestamp, QString& f_ClassStr, QString& f_MessageStr)
{
    FLogErrorState = log_IDLE;
    if (FLogQueue.empty()) return -1;
    const TMSG_Struct m = std::move(FLogQueue.front());
    FLogQueue.pop_front();
    f_Timestamp = m.Timestamp;
    f_ClassStr = m.ClassStr;
    f_MessageStr = m.MessageStr;
    return int(FLogQueue.size());
}

void TCOMEngine::Log_Clear()
{
    FLogErrorState = log_IDLE;
    FLogQueue.clear();
}

quint16 TCOMEngine::CRC16(const quint8* Buffer, int start, int count) { return quentry::CRC16(Buffer, start, count); }

void TCOMEngine::BuildTTXRXInfo(const THART_UniqueID& f_UniqueID, TTXRXInfo& result)
{
    result.FactoryID = f_UniqueID.FactoryID;
    result.DeviceTypeID = f_UniqueID.DeviceTypeID;
    result.DeviceID_HI = f_UniqueID.DeviceID_HI;
    result.DeviceID_MID = f_UniqueID.DeviceID_MID;
    result.DeviceID_LO = f_UniqueID.DeviceID_LO;
    result.Preemables = f_UniqueID.Preemables;
}

void TCOMEngine::FAST_AssembleFrame(TTXRXInfo& f_TXRXInfo)
{
    std::fill(RxBuffer.begin(), RxBuffer.end(), quint8(0));
    TxBuffer[0] = f_TXRXInfo.cmd;
    TxIndex = quint16(qMin(TxIndex + 3, kTxBufferSize));
}

} // namespace quentry
