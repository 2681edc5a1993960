#pragma once
// TCOMEngine: the one owner of the serial port. It runs one request/reply transaction at
// a time in HART or FAST, with an answer timer, a byte-gap timer, retries, statistics and
// a log of every frame. A command call returns when its transaction is over; while it
// waits, the event loop keeps running, and the port's notifications and the timer drive
// the transaction forward. No thread of its own.
#include "linktypes.h"
#include "rawrecords.h"
#include "replysizes.h"
#include "serialport.h"
#include "userfeedback.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace quentry {

class TCOMEngine;
class TTavix;
class TIrDA;

// Where the engine is within a transaction. It alone decides what a received byte, a
// transmit-empty report or a timer expiry means: bytes count as a reply only while a
// request is out (sending, waiting, receiving); at any other time they are dropped.
enum class TLinkPhase : quint8 { Idle, Sending, Waiting, Receiving, SwitchingAdapter, Closing };

using TComLogEvent = std::function<void(TCOMEngine* Sender, const QDateTime& f_Timestamp,
                                        const QString& f_ClassStr, const QString& f_MessageStr)>;
using TComStateChangedEvent = std::function<void(TCOMEngine* Sender, TComState f_ComState)>;

class TCOMEngine : public QObject
{
    Q_OBJECT
public:
    static constexpr int kRxBufferSize = 65536;
    static constexpr int kTxBufferSize = 1025;
    static constexpr int kLogQueueCapacity = 20;

    // Without a port the engine makes its QSerialPort one.
    explicit TCOMEngine(QObject* AOwner = nullptr, std::unique_ptr<TSerialPort> port = {});
    ~TCOMEngine() override;

    void Init();
    void ClrStatistic();

    // Events
    TComLogEvent OnComLogEvent;
    TComStateChangedEvent OnComStateChangedEvent;

    // Properties
    TComState ComState() const { return FComState; }
    quint8 MaxRetrycount() const { return FMaxRetrycount; }
    void SetMaxRetrycount(quint8 v);
    quint32 Time_WaitAnswer() const { return FTime_WaitAnswer; }
    void SetTime_WaitAnswer(quint32 v);
    quint32 Time_ByteGap() const { return FTime_ByteGap; }
    void SetTime_ByteGap(quint32 v);
    quint32 Time_ErrorWait() const { return FTime_ErrorWait; }
    void SetTime_ErrorWait(quint32 v);
    quint32 TxCount() const { return FTxCount; }
    quint32 RxCount() const { return FRxCount; }
    quint32 ErrorCount() const { return FErrorCount; }
    TProtokoll Protokoll() const { return FProtokoll; }
    void SetProtokoll(TProtokoll p) { FProtokoll = p; }
    bool Connected() const;
    // The number after "COM" (up to three digits), or 1; setting it names the port "COM<n>".
    quint16 Port() const;
    void SetPort(quint16 n);
    // The whole port name, for ports a number cannot express (ttyUSB0, /dev/pts/7).
    QString PortName() const;
    void SetPortName(const QString& name);
    // Stored as a byte; values other than adt_USB and adt_IrDA act as adt_None.
    quint8 AdapterCode() const { return FAdapterType; }
    TAdapterType Adapter() const;
    void SetAdapter(quint8 v) { FAdapterType = v; }
    bool HeartBeatActive() const { return FHeartBeat.Active; }
    void SetHeartBeatActive(bool v);
    quint32 HeartBeatInterval() const { return FHeartBeat.Interval; }
    void SetHeartBeatInterval(quint32 v) { FHeartBeat.Interval = v; }
    TIrDAAdapterType IrDAAdapterType = iratype_RS232;
    // Quick replies: a reply is evaluated the moment its bytes form a whole frame with a
    // good checksum, instead of after the byte gap. Off by default.
    bool QuickReplies() const { return FQuickReplies; }
    void SetQuickReplies(bool on) { FQuickReplies = on; }
    TLinkPhase Phase() const { return FPhase; }

    const TTXRXInfo& LastTXRXInfo() const { return FLastTXRXInfo; }
    const THART_RESPONSE_STR& LastResponse() const { return FLastResponse; }
    TSerialPort& ComPort() { return *FComPort; }
    TTavix& Tavix() { return *FTavix; }
    TIrDA& IrDA() { return *FIrDA; }

    void SetFeedback(TUserFeedback* feedback) { FFeedback = feedback ? feedback : &silentFeedback(); }
    TUserFeedback& Feedback() const { return *FFeedback; }
    // The step of the 56-step IrDA wake-up wait (100 ms); tests shorten it.
    void SetAdapterDelayStep(quint32 ms) { FAdapterDelayStep = ms; }
    quint32 AdapterDelayStep() const { return FAdapterDelayStep; }

    // Port
    bool OpenCom(quint16 f_port);
    bool OpenComByName(const QString& name); // as OpenCom, for a port given by name
    bool OpenHART(quint16 f_port);
    bool OpenFAST(quint16 f_port);
    bool _OpenFAST();
    void CloseCom(bool silent = false);
    static void GetComPortList(QStringList& List);
    bool CheckPortExistence(quint16 port);

    // Adapter mode of the current protocol (Tavix / IrDA); true when no switch is needed.
    bool SendAdapterMode();

    static quint16 CRC16(const quint8* Buffer, int start, int count);
    // Copies the long-frame address and the preamble count of an identity into a record.
    static void BuildTTXRXInfo(const THART_UniqueID& f_UniqueID, TTXRXInfo& result);
    void FAST_AssembleFrame(TTXRXInfo& f_TXRXInfo);

    // Heartbeat
    void StartHBTimer();
    void StopHBTimer();
    void RestartHBTimer();

    // Log queue, used while no log handler is attached.
    int ReadComLog(QDateTime& f_Timestamp, QString& f_ClassStr, QString& f_MessageStr);
    int GetLogCount() const { return int(FLogQueue.size()); }
    void Log_Clear();
    TLogErrorState LogErrorState() const { return FLogErrorState; }
    int AddLog(const QString& classStr, const QString& text);

    // Keeps the event loop running for ms milliseconds.
    void Delay(quint32 ms);

    // HART commands
    void HART_RdUniqueID(TTXRXInfo& f_device, THART_UniqueID& f_UniqueID);
    void HART_RdPrimaryVariable(TTXRXInfo& f_device, THART_RdPV& f_HART_RdPV);
    void HART_RdCurrentPercentOfRange(TTXRXInfo& f_device, THART_RdCurrentPercentOfRange& f_RdCurrPerc);
    void HART_RdCurrentFourDVar(TTXRXInfo& f_device, THART_RdCurrentFourDVar& f_RdCurrFour);
    void HART_WrPollingAddress(TTXRXInfo& f_device, quint8& f_PollAddr);
    void HART_RdUniqueIDWithTag(TTXRXInfo& f_device, const QString& f_TagStr, THART_UniqueID& f_UniqueID);
    QString HART_RdMessage(TTXRXInfo& f_device);
    void HART_WrMessage(TTXRXInfo& f_device, THART_RdWrMessage& f_Message);
    void HART_RdTagDescDate(TTXRXInfo& f_device, THART_RdWrTagDestDate& f_TagDestDate);
    void HART_WrTagDescDate(TTXRXInfo& f_device, THART_RdWrTagDestDate& f_TagDestDate);
    void HART_RdPVSensorInfo(TTXRXInfo& f_device, THART_RdPVSensorInfo& f_PVSensorInfo);
    void HART_RdOutputInfo(TTXRXInfo& f_device, THART_RdOutputInfo& f_RdOutputInfo);
    void HART_RdFinalAssNum(TTXRXInfo& f_device, THART_RdWrFinalAssNum& f_RdFinalAssNum);
    void HART_WrFinalAssNum(TTXRXInfo& f_device, THART_RdWrFinalAssNum& f_RdWrFinalAssNum);
    void HART_WrDampingValue(TTXRXInfo& f_device, THART_RdWrDampingValue& f_RdWrDampingValue);
    void HART_WrRangeValue(TTXRXInfo& f_device, THART_RdWrRangeValue& f_RdWrRangeValue);
    void HART_SetUpperRangeValue(TTXRXInfo& f_device);
    void HART_SetLowerRangeValue(TTXRXInfo& f_device);
    void HART_ResetConfigChangeFlag(TTXRXInfo& f_device);
    void HART_EnterExitFixCurrent(TTXRXInfo& f_device, THART_EnterExitFixCurrent& f_EnterExitFixCurrent);
    void HART_MasterReset(TTXRXInfo& f_device);
    void HART_TrimDACZero(TTXRXInfo& f_device, THART_TrimDAC& f_TrimDAC);
    void HART_TrimDACGain(TTXRXInfo& f_device, THART_TrimDAC& f_TrimDAC);
    void HART_RdDeviceVarsVOL(TTXRXInfo& f_device, THART_RdDeviceVarsVOL& f_RdDeviceVarsVOL);
    void HART_RdDeviceVarsFLOW(TTXRXInfo& f_device, THART_RdDeviceVarsFLOW& f_RdDeviceVarsFLOW);
    void HART_EnterExit(TTXRXInfo& f_device, THART_EnterExit& f_EnterExit);
    void HART_RdParam(TTXRXInfo& f_device, THART_RdWrParam& f_RdWrParam);
    void HART_WrParam(TTXRXInfo& f_device, THART_RdWrParam& f_RdWrParam);
    void HART_RdLinItem(TTXRXInfo& f_device, THART_RdWrLinItem& f_RdWrLinItem);
    void HART_WrLinItem(TTXRXInfo& f_device, THART_RdWrLinItem& f_RdWrLinItem);
    void HART_LdDefault(TTXRXInfo& f_device, THART_LdDefault& f_LdDefault);
    void HART_RdEMapItem(TTXRXInfo& f_device, THART_RdEMapItem& f_RdEMapItem);
    void HART_ClrTOT1(TTXRXInfo& f_device, THART_ClrTOT1& f_clrtot1);
    void HART_ClrTOT2(TTXRXInfo& f_device, THART_ClrTOT2& f_clrtot2);
    void HART_WrUPSW(TTXRXInfo& f_device, THART_WrUPSW& f_WrUPSW);
    void HART_WrVossecFinalAssNum(TTXRXInfo& f_device, THART_RdWrVosFinalAssNum& f_RdWrVosFinalAssNum);
    void HART_RdDeviceVarsEXT(TTXRXInfo& f_device, THART_RdDeviceVarsExt& f_RdDeviceVarsExt);
    void HART_RdExtendedInfo(TTXRXInfo& f_device, THART_RdExtInfo& f_RdExtInfo);
    void HART_RdDeviceVarsTOTLONG(TTXRXInfo& f_device, THART_RdDeviceVarsTOTLONG& f_RdDeviceVarsTOTLONG);
    void HART_LOG_OpenClose(TTXRXInfo& f_device, THART_LOG_OpenClose& f_log_OpenClose);
    void HART_LOG_RdStatus(TTXRXInfo& f_device, THART_LOG_RdStatus& f_log_RdStatus);
    void HART_LOG_Clr(TTXRXInfo& f_device, THART_LOG_RdStatus& f_log_RdStatus);
    void HART_LOG_Seek(TTXRXInfo& f_device, THART_LOG_Seek& f_log_Seek);
    void HART_LOG_RdRecord(TTXRXInfo& f_device, THART_LOG_RdRecord& f_log_RdRecord);
    void HART_RTC_RdRTC(TTXRXInfo& f_device, THART_RTC_RdWrRTC& f_rtc_RdWrRTC);
    void HART_RTC_WrRTC(TTXRXInfo& f_device, THART_RTC_RdWrRTC& f_rtc_RdWrRTC);
    void HART_LOG_RdLFData(TTXRXInfo& f_device, THART_LOG_RdLFData& f_log_RdLFData);
    void HART_WrHWID(TTXRXInfo& f_device, THART_WrHWID& f_WrHWID);
    void HART_WrCurrTest(TTXRXInfo& f_device, THART_WrCurrTest& f_WrCurrTest);
    void HART_WrSecurity(TTXRXInfo& f_device, THART_WrSecuryCodes& f_WrSecuryCodes);
    void HART_DoFactoryReset(TTXRXInfo& f_device, THART_DoFactoryReset& f_DoFactoryReset);

    // FAST commands
    void FAST_RDMEAS(TTXRXInfo& f_device, TFAST_RDMEAS& f_RdMeas);
    void FAST_RESET(TTXRXInfo& f_device, THART_ERRSTAT& f_errstat);
    void FAST_ENTEREXIT(TTXRXInfo& f_device, THART_EnterExit& f_EnterExit);
    void FAST_RDPTAB(TTXRXInfo& f_device, THART_RdWrParam& f_RdWrParam);
    void FAST_WRPTAB(TTXRXInfo& f_device, THART_RdWrParam& f_RdWrParam);
    void FAST_RDLINTAB(TTXRXInfo& f_device, THART_RdWrLinItem& f_RdWrLinItem);
    void FAST_WRLINTAB(TTXRXInfo& f_device, THART_RdWrLinItem& f_RdWrLinItem);
    void FAST_RDECHOMAP(TTXRXInfo& f_device, THART_RdEMapItem& f_RdEMapItem);
    void FAST_CLRTOT1(TTXRXInfo& f_device, THART_ClrTOT1& f_clrtot1);
    void FAST_CLRTOT2(TTXRXInfo& f_device, THART_ClrTOT2& f_clrtot2);
    void FAST_LDDEFAULT(TTXRXInfo& f_device, THART_LdDefault& f_LdDefault);
    void FAST_WRVOSASSNUM(TTXRXInfo& f_device, THART_RdWrVosFinalAssNum& f_RdWrVosFinalAssNum);
    void FAST_WrUPSW(TTXRXInfo& f_device, THART_WrUPSW& f_WrUPSW);
    void FAST_LOG_OpenClose(TTXRXInfo& f_device, THART_LOG_OpenClose& f_log_OpenClose);
    void FAST_LOG_RdStatus(TTXRXInfo& f_device, THART_LOG_RdStatus& f_log_RdStatus);
    void FAST_LOG_Seek(TTXRXInfo& f_device, THART_LOG_Seek& f_log_Seek);
    void FAST_LOG_RdRecord(TTXRXInfo& f_device, THART_LOG_RdRecord& f_log_RdRecord);
    void FAST_LOG_Clr(TTXRXInfo& f_device, THART_LOG_RdStatus& f_log_RdStatus);
    void FAST_LOG_RdLFData(TTXRXInfo& f_device, THART_LOG_RdLFData& f_log_RdLFData);
    void FAST_LOG_RdPage(TTXRXInfo& f_device, TFAST_LOG_RdPage& f_log_RdPage);

    // Reply data bytes copied for a reply's command number; -1 for a number without an entry.
    static constexpr int HartReplyDataSize(quint8 cmd) { return HartReplySize(cmd); }
    static constexpr int FastReplyDataSize(quint8 cmd) { return FastReplySize(cmd); }

private:
    // Command plumbing: set the command, point the reply copy at part of a record, fill the
    // request, run the transaction.
    void beginCommand(TTXRXInfo& f_device, quint8 cmd, bool hart, quint8* replyTarget, int replyCapacity);
    // The reply of command Cmd lands in rec from byte Offset on; its size must be the rest of rec.
    template <quint8 Cmd, std::size_t Offset = 0, class T> void beginHart(TTXRXInfo& d, T& rec)
    {
        static_assert(HartReplySize(Cmd) == int(sizeof(T) - Offset), "HART reply size and record disagree");
        beginCommand(d, Cmd, true, rawBytes(rec) + Offset, int(sizeof(T) - Offset));
    }
    template <quint8 Cmd, std::size_t Offset = 0, class T> void beginFast(TTXRXInfo& d, T& rec)
    {
        static_assert(FastReplySize(Cmd) == int(sizeof(T) - Offset), "FAST reply size and record disagree");
        beginCommand(d, Cmd, false, rawBytes(rec) + Offset, int(sizeof(T) - Offset));
    }
    void appendRequest(const quint8* bytes, int count);
    void appendRequest(quint8 byte) { appendRequest(&byte, 1); }

    void Transact(TTXRXInfo& f_device);
    bool sendRequest(TTXRXInfo& f_device);
    bool Transmit();
    bool Retry();
    void replyHandler();
    void hartReplyHandler();
    void fastReplyHandler();
    void closingSteps();
    void endTransaction();
    void setPhase(TLinkPhase p);
    bool takesReplyBytes() const;
    void dropStrayBytes(int count);
    bool quickReplyComplete();
    int replyDataNeeded(int tableSize) const;
    void copyReplyData(int from, int size);
    void logFrame(const QString& classStr, const quint8* bytes, int count);
    void purgePort();
    int transactionBoundMs() const;
    qint64 lineTimeMs(int bytes) const;

    void SetComState(TComState s);
    void SetTimerMode(TTimerMode mode);
    void StopComTimer();
    void onComTimer();
    void onTxWatchdog();
    void onHeartBeatTick();

    // Port handlers
    void attachPortHandlers();
    void onPortOpened();
    void onPortClosed();
    void onPortError(TLineErrors errors);
    void onRxChar(int count);
    void onTxEmpty();

    void prepareHartTimes();
    void prepareFastTimes();
    bool openHartOnCurrentName();
    bool openPort();

    THeartBeat FHeartBeat;
    QTimer JvTimerDelay;
    std::deque<TMSG_Struct> FLogQueue;
    TLogErrorState FLogErrorState = log_IDLE;
    THART_RESPONSE_STR FLastResponse;
    TProtokoll FProtokoll = prt_HART;
    std::unique_ptr<TSerialPort> FComPort;
    QTimer ComTimer;
    std::vector<quint8> RxBuffer;
    std::array<quint8, kTxBufferSize> TxBuffer{};
    quint16 RxIndex = 0;
    quint16 RxOffset = 0;
    quint16 TxIndex = 0;
    quint16 LastTxIndex = 0;
    TComState FComState = rxst_IDLE;
    quint8* LastPointer = nullptr;
    int LastPointerCapacity = 0;
    quint32 FTime_WaitAnswer = 500;
    quint32 FTime_ByteGap = 200;
    quint32 FTime_ErrorWait = 6000;
    quint32 FTxCount = 0, FRxCount = 0, FErrorCount = 0;
    quint8 FMaxRetrycount = 5;
    quint8 retrycount = 0;
    quint8 FAdapterType = adt_None;
    std::unique_ptr<TTavix> FTavix;
    std::unique_ptr<TIrDA> FIrDA;
    TTimerMode ComTimerMode = tmm_IDLE;
    TTXRXInfo FLastTXRXInfo;
    QTimer JvTimerHeartBeat;
    bool FHeartBeatTimerOn = false;

    // Beyond the record of the original design: what keeps every wait bounded and
    // late bytes out of records whose command has returned.
    TTXRXInfo FRequestInfo;          // the request as sent, for retry log entries and reply matching
    TLinkPhase FPhase = TLinkPhase::Idle;
    bool FStrayLogged = false;       // stray bytes of this phase already logged
    bool FRefusedCommand = false;    // the command being built came while another was out
    bool FQuickReplies = false;
    int FRxTotalThisReply = 0;       // bytes seen for this reply, kept or not
    QTimer FTxWatchdog;              // a port that never reports its output drained
    TUserFeedback* FFeedback = &silentFeedback();
    quint32 FAdapterDelayStep = 100;
};

} // namespace quentry
