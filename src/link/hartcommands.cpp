// The HART commands of TCOMEngine: the request bytes of each command and the record its
// reply lands in.
#include "comengine.h"

#include "wire/wireconv.h"

#include <cstddef>
#include <cstring>

namespace quentry {

template <class T> static void zero(T& record) { std::memset(&record, 0, sizeof record); }

void TCOMEngine::HART_RdUniqueID(TTXRXInfo& d, THART_UniqueID& r)
{
    zero(r);
    beginHart<0>(d, r);
    Transact(d);
}

void TCOMEngine::HART_RdPrimaryVariable(TTXRXInfo& d, THART_RdPV& r)
{
    zero(r);
    beginHart<1>(d, r);
    Transact(d);
}

void TCOMEngine::HART_RdCurrentPercentOfRange(TTXRXInfo& d, THART_RdCurrentPercentOfRange& r)
{
    zero(r);
    beginHart<2>(d, r);
    Transact(d);
}

void TCOMEngine::HART_RdCurrentFourDVar(TTXRXInfo& d, THART_RdCurrentFourDVar& r)
{
    zero(r);
    beginHart<3>(d, r);
    Transact(d);
}

void TCOMEngine::HART_WrPollingAddress(TTXRXInfo& d, quint8& f_PollAddr)
{
    beginHart<6>(d, f_PollAddr);
    appendRequest(f_PollAddr);
    f_PollAddr = 0;
    Transact(d);
}

void TCOMEngine::HART_RdUniqueIDWithTag(TTXRXInfo& d, const QString& f_TagStr, THART_UniqueID& r)
{
    zero(r);
    d.IsLongAddress = true;
    d.FactoryID = d.DeviceTypeID = d.DeviceID_HI = d.DeviceID_MID = d.DeviceID_LO = 0;
    beginHart<11>(d, r);
    quint8 tag[6] = {};
    PackASCII(f_TagStr.left(8), tag, int(sizeof tag));
    appendRequest(tag, 6);
    Transact(d);
}

QString TCOMEngine::HART_RdMessage(TTXRXInfo& d)
{
    THART_RdWrMessage scratch{};
    beginHart<12>(d, scratch);
    Transact(d);
    if (d.FrameError != FRERR_OK) return {};
    return UnpackASCII(scratch.PackedMessage, 24);
}

void TCOMEngine::HART_WrMessage(TTXRXInfo& d, THART_RdWrMessage& r)
{
    beginHart<17>(d, r);
    appendRequest(r.PackedMessage, 24);
    Transact(d);
}

void TCOMEngine::HART_RdTagDescDate(TTXRXInfo& d, THART_RdWrTagDestDate& r)
{
    zero(r);
    beginHart<13>(d, r);
    Transact(d);
}

void TCOMEngine::HART_WrTagDescDate(TTXRXInfo& d, THART_RdWrTagDestDate& r)
{
    beginHart<18>(d, r);
    appendRequest(rawBytes(r), int(sizeof r));
    Transact(d);
}

void TCOMEngine::HART_RdPVSensorInfo(TTXRXInfo& d, THART_RdPVSensorInfo& r)
{
    zero(r);
    beginHart<14>(d, r);
    Transact(d);
}

void TCOMEngine::HART_RdOutputInfo(TTXRXInfo& d, THART_RdOutputInfo& r)
{
    zero(r);
    beginHart<15>(d, r);
    Transact(d);
}

void TCOMEngine::HART_RdFinalAssNum(TTXRXInfo& d, THART_RdWrFinalAssNum& r)
{
    zero(r);
    beginHart<16>(d, r);
    Transact(d);
}

void TCOMEngine::HART_WrFinalAssNum(TTXRXInfo& d, THART_RdWrFinalAssNum& r)
{
    beginHart<19>(d, r);
    appendRequest(r.AssNum, 3);
    Transact(d);
}

void TCOMEngine::HART_WrDampingValue(TTXRXInfo& d, THART_RdWrDampingValue& r)
{
    beginHart<34>(d, r);
    appendRequest(r.Damping, 4);
    Transact(d);
}

void TCOMEngine::HART_WrRangeValue(TTXRXInfo& d, THART_RdWrRangeValue& r)
{
    beginHart<35>(d, r);
    appendRequest(rawBytes(r), int(sizeof r));
    Transact(d);
}

void TCOMEngine::HART_SetUpperRangeValue(TTXRXInfo& d)
{
    beginCommand(d, 36, true, nullptr, 0);
    Transact(d);
}

void TCOMEngine::HART_SetLowerRangeValue(TTXRXInfo& d)
{
    beginCommand(d, 37, true, nullptr, 0);
    Transact(d);
}

void TCOMEngine::HART_ResetConfigChangeFlag(TTXRXInfo& d)
{
    beginCommand(d, 38, true, nullptr, 0);
    Transact(d);
}

void TCOMEngine::HART_EnterExitFixCurrent(TTXRXInfo& d, THART_EnterExitFixCurrent& r)
{
    beginHart<40>(d, r);
    appendRequest(r.current, 4);
    Transact(d);
}

void TCOMEngine::HART_MasterReset(TTXRXInfo& d)
{
    beginCommand(d, 42, true, nullptr, 0);
    Transact(d);
}

void TCOMEngine::HART_TrimDACZero(TTXRXInfo& d, THART_TrimDAC& r)
{
    beginHart<45>(d, r);
    appendRequest(r.current, 4);
    Transact(d);
}

void TCOMEngine::HART_TrimDACGain(TTXRXInfo& d, THART_TrimDAC& r)
{
    beginHart<46>(d, r);
    appendRequest(r.current, 4);
    Transact(d);
}

void TCOMEngine::HART_RdDeviceVarsVOL(TTXRXInfo& d, THART_RdDeviceVarsVOL& r)
{
    zero(r);
    beginHart<128>(d, r);
    Transact(d);
}

void TCOMEngine::HART_RdDeviceVarsFLOW(TTXRXInfo& d, THART_RdDeviceVarsFLOW& r)
{
    zero(r);
    beginHart<129>(d, r);
    Transact(d);
}

void TCOMEngine::HART_EnterExit(TTXRXInfo& d, THART_EnterExit& r)
{
    beginHart<130, offsetof(THART_EnterExit, es)>(d, r);
    appendRequest(r.upsw, 2);
    appendRequest(r.mode);
    const quint8 unused[4] = {0, 0, 0, 0}; // the command carries 7 bytes; the last 4 mean nothing
    appendRequest(unused, 4);
    Transact(d);
}

void TCOMEngine::HART_RdParam(TTXRXInfo& d, THART_RdWrParam& r)
{
    beginHart<131>(d, r);
    appendRequest(r.pnum);
    Transact(d);
}

void TCOMEngine::HART_WrParam(TTXRXInfo& d, THART_RdWrParam& r)
{
    beginHart<132>(d, r);
    appendRequest(r.pnum);
    appendRequest(r.value, 4);
    Transact(d);
}

void TCOMEngine::HART_RdLinItem(TTXRXInfo& d, THART_RdWrLinItem& r)
{
    beginHart<133>(d, r);
    appendRequest(r.index);
    Transact(d);
}

void TCOMEngine::HART_WrLinItem(TTXRXInfo& d, THART_RdWrLinItem& r)
{
    beginHart<134>(d, r);
    appendRequest(r.index);
    appendRequest(r.level, 4);
    appendRequest(r.primary, 4);
    Transact(d);
}

void TCOMEngine::HART_LdDefault(TTXRXInfo& d, THART_LdDefault& r)
{
    beginHart<135>(d, r.es); // the reply fills the status only
    appendRequest(r.mode);
    Transact(d);
}

void TCOMEngine::HART_RdEMapItem(TTXRXInfo& d, THART_RdEMapItem& r)
{
    beginHart<136>(d, r);
    appendRequest(r.index);
    Transact(d);
}

void TCOMEngine::HART_ClrTOT1(TTXRXInfo& d, THART_ClrTOT1& r)
{
    beginHart<137>(d, r);
    Transact(d);
}

void TCOMEngine::HART_ClrTOT2(TTXRXInfo& d, THART_ClrTOT2& r)
{
    beginHart<138, offsetof(THART_ClrTOT2, es)>(d, r);
    appendRequest(r.fpsw, 2);
    Transact(d);
}

void TCOMEngine::HART_WrUPSW(TTXRXInfo& d, THART_WrUPSW& r)
{
    beginHart<139, offsetof(THART_WrUPSW, es)>(d, r);
    appendRequest(r.upsw, 2);
    Transact(d);
}

void TCOMEngine::HART_WrVossecFinalAssNum(TTXRXInfo& d, THART_RdWrVosFinalAssNum& r)
{
    beginHart<140, offsetof(THART_RdWrVosFinalAssNum, AssNum)>(d, r);
    appendRequest(r.psw, 2);
    appendRequest(r.AssNum, 3);
    Transact(d);
}

void TCOMEngine::HART_RdDeviceVarsEXT(TTXRXInfo& d, THART_RdDeviceVarsExt& r)
{
    zero(r);
    beginHart<141>(d, r);
    Transact(d);
}

void TCOMEngine::HART_RdExtendedInfo(TTXRXInfo& d, THART_RdExtInfo& r)
{
    beginHart<142>(d, r);
    appendRequest(rawBytes(r), int(sizeof r));
    Transact(d);
}

void TCOMEngine::HART_RdDeviceVarsTOTLONG(TTXRXInfo& d, THART_RdDeviceVarsTOTLONG& r)
{
    zero(r);
    beginHart<149>(d, r);
    Transact(d);
}

void TCOMEngine::HART_LOG_OpenClose(TTXRXInfo& d, THART_LOG_OpenClose& r)
{
    beginHart<160, offsetof(THART_LOG_OpenClose, es)>(d, r);
    appendRequest(r.mode);
    Transact(d);
}

void TCOMEngine::HART_LOG_RdStatus(TTXRXInfo& d, THART_LOG_RdStatus& r)
{
    beginHart<161>(d, r);
    Transact(d);
}

void TCOMEngine::HART_LOG_Clr(TTXRXInfo& d, THART_LOG_RdStatus& r)
{
    beginHart<162>(d, r);
    Transact(d);
}

void TCOMEngine::HART_LOG_Seek(TTXRXInfo& d, THART_LOG_Seek& r)
{
    beginHart<163, offsetof(THART_LOG_Seek, es)>(d, r);
    appendRequest(r.Whence);
    appendRequest(r.Offset, 2);
    Transact(d);
}

void TCOMEngine::HART_LOG_RdRecord(TTXRXInfo& d, THART_LOG_RdRecord& r)
{
    beginHart<164, offsetof(THART_LOG_RdRecord, lstat)>(d, r);
    appendRequest(r.mode);
    Transact(d);
}

void TCOMEngine::HART_RTC_RdRTC(TTXRXInfo& d, THART_RTC_RdWrRTC& r)
{
    beginHart<165>(d, r);
    Transact(d);
}

void TCOMEngine::HART_RTC_WrRTC(TTXRXInfo& d, THART_RTC_RdWrRTC& r)
{
    beginHart<166>(d, r);
    appendRequest(rawBytes(r), int(sizeof r));
    Transact(d);
}

void TCOMEngine::HART_LOG_RdLFData(TTXRXInfo& d, THART_LOG_RdLFData& r)
{
    beginHart<169>(d, r);
    Transact(d);
}

void TCOMEngine::HART_WrHWID(TTXRXInfo& d, THART_WrHWID& r)
{
    // The reply copies nothing; the request is fpsw, hwid and the record's upsw.
    beginCommand(d, 170, true, nullptr, 0);
    appendRequest(r.fpsw, 2);
    appendRequest(r.hwid, 2);
    appendRequest(r.upsw, 2);
    Transact(d);
}

void TCOMEngine::HART_WrCurrTest(TTXRXInfo& d, THART_WrCurrTest& r)
{
    beginHart<181>(d, r);
    appendRequest(r.current, 4);
    Transact(d);
}

void TCOMEngine::HART_WrSecurity(TTXRXInfo& d, THART_WrSecuryCodes& r)
{
    beginHart<190, offsetof(THART_WrSecuryCodes, es)>(d, r);
    appendRequest(r.fpsw, 2);
    Transact(d);
}

void TCOMEngine::HART_DoFactoryReset(TTXRXInfo& d, THART_DoFactoryReset& r)
{
    beginHart<191, offsetof(THART_DoFactoryReset, es)>(d, r);
    appendRequest(r.fpsw, 2);
    appendRequest(r.mode);
    Transact(d);
}

} // namespace quentry
