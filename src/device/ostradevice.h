#pragma once
// TOstraDevice: the one object through which the program talks to the attached
// transmitter. Each operation fills in the addressing of the transaction, converts the
// caller's decoded record into the raw record of one engine command, runs it and decodes
// the reply. Operations with a HART and a FAST (MODE3) variant pick one from the engine's
// protocol at call time; an operation without a variant for it returns FERR_INTERFACE and
// sends nothing. Outcomes are TFrameError values, never exceptions.
#include "comengine.h"
#include "loggerrecords.h"
#include "operationrecords.h"
#include "rowdecode.h"
#include "statusdecode.h"

#include <QObject>
#include <type_traits>

namespace quentry {

THART_PAS_UniqueID UniqueIDFromRaw(const THART_UniqueID& raw);
THART_UniqueID UniqueIDToRaw(const THART_PAS_UniqueID& id);

class TOstraDevice : public QObject
{
    Q_OBJECT
public:
    static constexpr quint8 kMaxPollAddress = 15;
    static constexpr quint8 kNoPollAddress = 255;
    static constexpr quint8 kScanRetries = 2;
    static constexpr quint8 kNormalRetries = 5;

    explicit TOstraDevice(QObject* AOwner = nullptr);
    ~TOstraDevice() override = default;

    // ---- properties --------------------------------------------------------------------
    TCOMEngine* COMEngine() const { return FCOMEngine; }
    void SetComEngine(TCOMEngine* f_COMEngine) { FCOMEngine = f_COMEngine; }
    // Long (unique-identifier) frames for every operation except RdUniqueID.
    bool IsLongFrame() const { return FIsLongFrame; }
    void SetIsLongFrame(bool v) { FIsLongFrame = v; }
    // Stored only (at most 20); detection sets the engine's MaxRetrycount instead.
    quint8 RetryCount() const { return FRetryCount; }
    void SetRetryCount(quint8 f_RetryCount) { FRetryCount = f_RetryCount > 20 ? 20 : f_RetryCount; }
    // Where the detection progress and the beep of failed row reads go; without one of
    // its own the device uses the engine's.
    void SetFeedback(TUserFeedback* feedback) { FFeedback = feedback; }
    TUserFeedback& Feedback() const;

    // ---- addressing and identification -------------------------------------------------
    TTXRXInfo BuildTTXRXInfo(const THART_PAS_UniqueID& f_pas_UniqueID) const;
    // Primary master, no burst, long frame as IsLongFrame says, 5 preambles.
    void PrepareSend(TTXRXInfo& f_device) const;
    // By short polling address, whatever IsLongFrame says. The record is overwritten
    // whatever the outcome.
    TFrameError RdUniqueID(quint8 f_polladdress, THART_PAS_UniqueID& f_pas_UniqueID);
    TFrameError RdUniqueIDWithTag(TTXRXInfo& f_device, const QString& f_TAG, THART_PAS_UniqueID& f_pas_UniqueID);
    // Polls short addresses FromPollAddress..15 and stops at the first that answers.
    // Not found (or cancelled): false with FromPollAddress = 255.
    bool DetectFirstDevice(quint8& FromPollAddress, THART_PAS_UniqueID& f_pas_UniqueID);

    // ---- published HART commands (always HART) -----------------------------------------
    TFrameError RdPrimaryVariable(TTXRXInfo& f_device, THART_PAS_RdPV& f_RdPV);
    TFrameError RdCurrentPercentOfRange(TTXRXInfo& f_device, THART_PAS_RdCurrentPercentOfRange& f_RdCurrPerc);
    TFrameError RdCurrentFourDVar(TTXRXInfo& f_device, THART_PAS_RdCurrentFourDVar& f_RdCurrFour);
    TFrameError WrPollingAddress(TTXRXInfo& f_device, quint8& f_PollAddr);
    TFrameError RdMessage(TTXRXInfo& f_device, QString& f_Message);
    // f_Message is brought to exactly 32 characters before it is sent.
    TFrameError WrMessage(TTXRXInfo& f_device, QString& f_Message);
    TFrameError RdTagDescDate(TTXRXInfo& f_device, THART_PAS_RdWrTagDestDate& f_TagDestDate);
    // Tag and Descriptor are brought to exactly 8 and 16 characters before they are sent.
    TFrameError WrTagDescDate(TTXRXInfo& f_device, THART_PAS_RdWrTagDestDate& f_TagDestDate);
    TFrameError RdPVSensorInfo(TTXRXInfo& f_device, THART_PAS_RdPVSensorInfo& f_PVSensorInfo);
    TFrameError RdOutputInfo(TTXRXInfo& f_device, THART_PAS_RdOutputInfo& f_RdOutputInfo);
    TFrameError RdFinalAssNum(TTXRXInfo& f_device, THART_PAS_RdWrFinalAssNum& f_FinalAssNum);
    TFrameError WrFinalAssNum(TTXRXInfo& f_device, THART_PAS_RdWrFinalAssNum& f_FinalAssNum);
    TFrameError WrDampingValue(TTXRXInfo& f_device, THART_PAS_RdWrDampingValue& f_DampingValue);
    TFrameError WrRangeValue(TTXRXInfo& f_device, THART_PAS_RdWrRangeValue& f_RangeValue);
    TFrameError SetUpperRangeValue(TTXRXInfo& f_device);
    TFrameError SetLowerRangeValue(TTXRXInfo& f_device);
    TFrameError ResetConfigChangeFlag(TTXRXInfo& f_device);
    TFrameError EnterExitFixCurrent(TTXRXInfo& f_device, THART_PAS_EnterExitFixCurrent& f_FixCurrent);
    TFrameError MasterReset(TTXRXInfo& f_device);
    TFrameError TrimDACZero(TTXRXInfo& f_device, THART_PAS_TrimDAC& f_TrimDAC);
    TFrameError TrimDACGain(TTXRXInfo& f_device, THART_PAS_TrimDAC& f_TrimDAC);

    // ---- family commands, HART and MODE3 -----------------------------------------------
    TFrameError RdMeas(TTXRXInfo& f_device, THART_PAS_RdDeviceVarsExt& f_RdMeas);
    TFrameError HartRdDeviceVarsEXT(TTXRXInfo& f_device, THART_PAS_RdDeviceVarsExt& f_RdMeas);
    TFrameError FastRdMeas(TTXRXInfo& f_device, THART_PAS_RdDeviceVarsExt& f_RdMeas);
    TFrameError EnterExit(TTXRXInfo& f_device, THART_PAS_EnterExit& f_EnterExit);
    TFrameError HartEnterExit(TTXRXInfo& f_device, THART_PAS_EnterExit& f_EnterExit);
    TFrameError FastEnterExit(TTXRXInfo& f_device, THART_PAS_EnterExit& f_EnterExit);
    TFrameError RdParam(TTXRXInfo& f_device, THART_PAS_RdWrParam& f_RdWrParam);
    TFrameError HartRdParam(TTXRXInfo& f_device, THART_PAS_RdWrParam& f_RdWrParam);
    TFrameError FastRdParam(TTXRXInfo& f_device, THART_PAS_RdWrParam& f_RdWrParam);
    TFrameError WrParam(TTXRXInfo& f_device, THART_PAS_RdWrParam& f_RdWrParam);
    TFrameError HartWrParam(TTXRXInfo& f_device, THART_PAS_RdWrParam& f_RdWrParam);
    TFrameError FastWrParam(TTXRXInfo& f_device, THART_PAS_RdWrParam& f_RdWrParam);
    TFrameError RdLinItem(TTXRXInfo& f_device, THART_PAS_RdWrLinItem& f_LinItem);
    TFrameError HartRdLinItem(TTXRXInfo& f_device, THART_PAS_RdWrLinItem& f_LinItem);
    TFrameError FastRdLinItem(TTXRXInfo& f_device, THART_PAS_RdWrLinItem& f_LinItem);
    TFrameError WrLinItem(TTXRXInfo& f_device, THART_PAS_RdWrLinItem& f_LinItem);
    TFrameError HartWrLinItem(TTXRXInfo& f_device, THART_PAS_RdWrLinItem& f_LinItem);
    TFrameError FastWrLinItem(TTXRXInfo& f_device, THART_PAS_RdWrLinItem& f_LinItem);
    TFrameError LdDefault(TTXRXInfo& f_device, THART_PAS_LdDefault& f_LdDefault);
    TFrameError HartLdDefault(TTXRXInfo& f_device, THART_PAS_LdDefault& f_LdDefault);
    TFrameError FastLdDefault(TTXRXInfo& f_device, THART_PAS_LdDefault& f_LdDefault);
    TFrameError RdEMapItem(TTXRXInfo& f_device, THART_PAS_RdEMapItem& f_EMapItem);
    TFrameError HartRdEMapItem(TTXRXInfo& f_device, THART_PAS_RdEMapItem& f_EMapItem);
    TFrameError FastRdEMapItem(TTXRXInfo& f_device, THART_PAS_RdEMapItem& f_EMapItem);
    TFrameError ClrTOT1(TTXRXInfo& f_device, THART_PAS_ClrTOT1& f_ClrTOT1);
    TFrameError HartClrTOT1(TTXRXInfo& f_device, THART_PAS_ClrTOT1& f_ClrTOT1);
    TFrameError FastClrTOT1(TTXRXInfo& f_device, THART_PAS_ClrTOT1& f_ClrTOT1);
    TFrameError ClrTOT2(TTXRXInfo& f_device, THART_PAS_ClrTOT2& f_ClrTOT2);
    TFrameError HartClrTOT2(TTXRXInfo& f_device, THART_PAS_ClrTOT2& f_ClrTOT2);
    TFrameError FastClrTOT2(TTXRXInfo& f_device, THART_PAS_ClrTOT2& f_ClrTOT2);
    TFrameError WrUPSW(TTXRXInfo& f_device, THART_PAS_WrUPSW& f_WrUPSW);
    TFrameError HartWrUPSW(TTXRXInfo& f_device, THART_PAS_WrUPSW& f_WrUPSW);
    TFrameError FastWrUPSW(TTXRXInfo& f_device, THART_PAS_WrUPSW& f_WrUPSW);
    TFrameError WrVossecFinalAssNum(TTXRXInfo& f_device, THART_PAS_RdWrVosFinalAssNum& f_VosFinalAssNum);
    TFrameError HartWrVossecFinalAssNum(TTXRXInfo& f_device, THART_PAS_RdWrVosFinalAssNum& f_VosFinalAssNum);
    TFrameError FastWrVossecFinalAssNum(TTXRXInfo& f_device, THART_PAS_RdWrVosFinalAssNum& f_VosFinalAssNum);

    // ---- family commands, HART only ----------------------------------------------------
    TFrameError RdDeviceVarsVOL(TTXRXInfo& f_device, THART_PAS_RdDeviceVarsVOL& f_VarsVOL);
    TFrameError HartRdDeviceVarsVOL(TTXRXInfo& f_device, THART_PAS_RdDeviceVarsVOL& f_VarsVOL);
    TFrameError RdDeviceVarsFLOW(TTXRXInfo& f_device, THART_PAS_RdDeviceVarsFLOW& f_VarsFLOW);
    TFrameError HartRdDeviceVarsFLOW(TTXRXInfo& f_device, THART_PAS_RdDeviceVarsFLOW& f_VarsFLOW);
    TFrameError RdDeviceVarsTOTLONG(TTXRXInfo& f_device, THART_PAS_RdDeviceVarsTOTLONG& f_VarsTOTLONG);
    TFrameError HartRdDeviceVarsTOTLONG(TTXRXInfo& f_device, THART_PAS_RdDeviceVarsTOTLONG& f_VarsTOTLONG);
    TFrameError RdExtendedInfo(TTXRXInfo& f_device, THART_PAS_RdExtInfo& f_ExtInfo);
    TFrameError HartRdExtendedInfo(TTXRXInfo& f_device, THART_PAS_RdExtInfo& f_ExtInfo);
    TFrameError WrHWID(TTXRXInfo& f_device, THART_PAS_WrHWID& f_WrHWID);
    TFrameError HartWrHWID(TTXRXInfo& f_device, THART_PAS_WrHWID& f_WrHWID);
    TFrameError WrCurrTest(TTXRXInfo& f_device, THART_PAS_WrCurrTest& f_WrCurrTest);
    TFrameError HartWrCurrTest(TTXRXInfo& f_device, THART_PAS_WrCurrTest& f_WrCurrTest);
    TFrameError WrSecurity(TTXRXInfo& f_device, THART_PAS_WrSecuryCodes& f_SecuryCodes);
    TFrameError HartWrSecurity(TTXRXInfo& f_device, THART_PAS_WrSecuryCodes& f_SecuryCodes);
    TFrameError Rtc_RdRTC(TTXRXInfo& f_device, THART_PAS_RTC_RdWrRTC& f_RTC);
    TFrameError HartRtc_RdRTC(TTXRXInfo& f_device, THART_PAS_RTC_RdWrRTC& f_RTC);
    // Sends the record's date-time to the second; reads back what the clock confirms.
    TFrameError Rtc_WrRTC(TTXRXInfo& f_device, THART_PAS_RTC_RdWrRTC& f_RTC);
    TFrameError HartRtc_WrRTC(TTXRXInfo& f_device, THART_PAS_RTC_RdWrRTC& f_RTC);
    // No dispatching name: always the HART command.
    TFrameError HartDoFactoryReset(TTXRXInfo& f_device, THART_PAS_DoFactoryReset& f_FactoryReset);

    // ---- MODE3 only ----------------------------------------------------------------------
    TFrameError Reset(TTXRXInfo& f_device, THART_PAS_ERRSTAT& f_pas_errstat);
    TFrameError FastReset(TTXRXInfo& f_device, THART_PAS_ERRSTAT& f_pas_errstat);

    // ---- logger ------------------------------------------------------------------------
    // The operations the logger reader uses are virtual, so it can be tried against a
    // scripted logger.
    virtual TFrameError Log_OpenClose(TTXRXInfo& f_device, THART_PAS_LOG_OpenClose& f_OpenClose);
    TFrameError HartLog_OpenClose(TTXRXInfo& f_device, THART_PAS_LOG_OpenClose& f_OpenClose);
    TFrameError FastLog_OpenClose(TTXRXInfo& f_device, THART_PAS_LOG_OpenClose& f_OpenClose);
    TFrameError Log_RdStatus(TTXRXInfo& f_device, THART_PAS_LOG_RdStatus& f_RdStatus);
    TFrameError HartLog_RdStatus(TTXRXInfo& f_device, THART_PAS_LOG_RdStatus& f_RdStatus);
    TFrameError FastLog_RdStatus(TTXRXInfo& f_device, THART_PAS_LOG_RdStatus& f_RdStatus);
    // Empties the logger.
    TFrameError Log_Clr(TTXRXInfo& f_device, THART_PAS_LOG_RdStatus& f_RdStatus);
    TFrameError HartLog_Clr(TTXRXInfo& f_device, THART_PAS_LOG_RdStatus& f_RdStatus);
    TFrameError FastLog_Clr(TTXRXInfo& f_device, THART_PAS_LOG_RdStatus& f_RdStatus);
    virtual TFrameError Log_Seek(TTXRXInfo& f_device, THART_PAS_LOG_Seek& f_Seek);
    TFrameError HartLog_Seek(TTXRXInfo& f_device, THART_PAS_LOG_Seek& f_Seek);
    TFrameError FastLog_Seek(TTXRXInfo& f_device, THART_PAS_LOG_Seek& f_Seek);
    // A failed transaction beeps and leaves lstat and row as they were; a logger status
    // with an error code leaves row as it was.
    virtual TFrameError Log_RdRecord(TTXRXInfo& f_device, THART_PAS_LOG_RdRecord& f_RdRecord);
    TFrameError HartLog_RdRecord(TTXRXInfo& f_device, THART_PAS_LOG_RdRecord& f_RdRecord);
    TFrameError FastLog_RdRecord(TTXRXInfo& f_device, THART_PAS_LOG_RdRecord& f_RdRecord);
    virtual TFrameError Log_RdLFData(TTXRXInfo& f_device, THART_PAS_LOG_RdLFData& f_LFData);
    TFrameError HartLog_RdLFData(TTXRXInfo& f_device, THART_PAS_LOG_RdLFData& f_LFData);
    TFrameError FastLog_RdLFData(TTXRXInfo& f_device, THART_PAS_LOG_RdLFData& f_LFData);
    // MODE3 only. A failed transaction beeps and leaves the rows as they were; a row that
    // fails its check is marked with event 255 and the page still succeeds.
    TFrameError Log_RdPage(TTXRXInfo& f_device, TFAST_PAS_LOG_RdPage& f_RdPage);
    virtual TFrameError FastLog_RdPage(TTXRXInfo& f_device, TFAST_PAS_LOG_RdPage& f_RdPage);

    // ---- decoding (talks to nobody) --------------------------------------------------------
    static void CrackErrStat(const TTXRXInfo& f_device, const THART_ERRSTAT& f_errstat,
                             THART_PAS_ERRSTAT& f_pas_errstat)
    {
        quentry::CrackErrStat(f_device, f_errstat, f_pas_errstat);
    }
    static void _CrackErrStat(quint8 f_DeviceTypeID, THART_PAS_ERRSTAT& f_pas_errstat)
    {
        quentry::_CrackErrStat(f_DeviceTypeID, f_pas_errstat);
    }
    static QString _CrackErrStr(quint16 error) { return quentry::_CrackErrStr(error); }
    static QString _CrackWarningStr(quint16 error) { return quentry::_CrackWarningStr(error); }
    static TDateTime Log_ConvertDate3ToDateTime(const quint8* f_b) { return quentry::Log_ConvertDate3ToDateTime(f_b); }
    static void CrackLOGStat(const TTXRXInfo& f_device, const THART_LOG_Status& f_log_Status,
                             THART_PAS_LOG_Status& f_pas_log_Status)
    {
        quentry::CrackLOGStat(f_device, f_log_Status, f_pas_log_Status);
    }
    static bool LogCheckRecord(const THART_LOG_Row& f_log_Row) { return quentry::LogCheckRecord(f_log_Row); }
    static QString GetEventstrTable(quint8 f_eventcode) { return quentry::GetEventstrTable(f_eventcode); }
    static void LogConvertRowAndSwap(const THART_LOG_Row& f_log_Row, THART_PAS_LOG_Row& f_pas_log_Row)
    {
        quentry::LogConvertRowAndSwap(f_log_Row, f_pas_log_Row);
    }
    static void LogConvertRow(const THART_LOG_Row& f_log_Row, THART_PAS_LOG_Row& f_pas_log_Row)
    {
        quentry::LogConvertRow(f_log_Row, f_pas_log_Row);
    }

private:
    // Runs the variant of the engine's protocol; nullptr marks a protocol without one.
    template <class Rec> using TVariant = TFrameError (TOstraDevice::*)(TTXRXInfo&, Rec&);
    template <class Rec>
    TFrameError dispatch(TTXRXInfo& f_device, Rec& rec, std::type_identity_t<TVariant<Rec>> hart,
                         std::type_identity_t<TVariant<Rec>> fast)
    {
        if (!FCOMEngine) return FERR_INTERFACE;
        switch (FCOMEngine->Protokoll()) {
        case prt_HART: return hart ? (this->*hart)(f_device, rec) : FERR_INTERFACE;
        case prt_MODE3: return fast ? (this->*fast)(f_device, rec) : FERR_INTERFACE;
        default: return FERR_INTERFACE;
        }
    }

    TCOMEngine* FCOMEngine = nullptr;
    bool FIsLongFrame = true;
    quint8 FRetryCount = 5;
    TUserFeedback* FFeedback = nullptr;
};

} // namespace quentry
