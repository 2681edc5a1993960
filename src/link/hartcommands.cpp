// The HART commands of TCOMEngine: request bytes of each command and the size of the
// reply data copied for each reply command number.
#include "comengine.h"

#include "wire/wireconv.h"

#include <cstddef>
#include <cstring>

namespace quentry {

int TCOMEngine::HartReplyDataSize(quint8 cmd)
{
    switch (cmd) {
    case 0: return 16;
    case 1: return 5;
    case 2: return 8;
    case 3: return 24;
    case 6: return 1;
    case 11: return 16;
    case 12: return 24;
    case 13: return 21;
    case 14: return 16;
    case 15: return 17;
    case 16: return 3;
    case 17: return 24;
    case 18: return 21;
    case 19: return 3;
    case 34: return 4;
    case 35: return 9;
    case 36: case 37: case 38: case 42: return 0;
    case 40: case 45: case 46: return 4;
    case 128: return 22;
    case 129: return 23;
    case 130: return 4;
    case 131: case 132: return 11;
    case 133: case 134: return 16;
    case 135: return 4;
    case 136: return 16;
    case 137: case 138: return 13;
    case 139: return 4;
    case 140: return 3;
    case 141: return 45;
    case 142: return 15;
    case 149: return 23;
    case 160: case 161: case 162: case 163: return 9;
    case 164: return 49;
    case 165: case 166: return 7;
    case 169: return 23;
    case 170: case 171: return 0;
    case 181: return 8;
    case 190: case 191: return 5;
    default: return -1;
    }
}

template <class T> static void zero(T& record) { std::memset(&record, 0, sizeof record); }

void TCOMEngine::HART_RdUniqueID(TTXRXInfo& d, THART_UniqueID& r)
{
    zero(r);
    beginHart(d, 0, r);
    Transact(d);
}

void TCOMEngine::HART_RdPrimaryVariable(TTXRXInfo& d, THART_RdPV& r)
{
    zero(r);
    beginHart(d, 1, r);
    Transact(d);
}

void TCOMEngine::HART_RdCurrentPercentOfRange(TTXRXInfo& d, THART_RdCurrentPercentOfRange& r)
{
    zero(r);
    beginHart(d, 2, r);
    Transact(d);
}

void TCOMEngine::HART_RdCurrentFourDVar(TTXRXInfo& d, THART_RdCurrentFourDVar& r)
{
    zero(r);
    beginHart(d, 3, r);
    Transact(d);
}

void TCOMEngine::HART_WrPollingAddress(TTXRXInfo& d, quint8& f_PollAddr)
{
    beginCommand(d, 6, true, &f_PollAddr, 1);
    appendRequest(f_PollAddr);
    f_PollAddr = 0;
    Transact(d);
}

void TCOMEngine::HART_RdUniqueIDWithTag(TTXRXInfo& d, const QString& f_TagStr, THART_UniqueID& r)
{
    zero(r);
    d.IsLongAddress = true;
    d.FactoryID = d.DeviceTypeID = d.DeviceID_HI = d.DeviceID_MID = d.DeviceID_LO = 0;
    beginHart(d, 11, r);
    quint8 tag[6] = {};
    PackASCII(f_TagStr.left(8), tag, int(sizeof tag));
    appendRequest(tag, 6);
    Transact(d);
}

QString TCOMEngine::HART_RdMessage(TTXRXInfo& d)
{
    THART_RdWrMessage scratch{};
    beginHart(d, 12, scratch);
    Transact(d);
    if (d.FrameError != FRERR_OK) return {};
    return UnpackASCII(scratch.PackedMessage, 24);
}

void TCOMEngine::HART_WrMessage(TTXRXInfo& d, THART_RdWrMessage& r)
{
    beginHart(d, 17, r);
    appendRequest(r.PackedMessage, 24);
    Transact(d);
}

void TCOMEngine::HART_RdTagDescDate(TTXRXInfo& d, THART_RdWrTagDestDate& r)
{
    zero(r);
    beginHart(d, 13, r);
    Transact(d);
}

void TCOMEngine::HART_WrTagDescDate(TTXRXInfo& d, THART_RdWrTagDestDate& r)
{
    beginHart(d, 18, r);
    appendRequest(rawBytes(r), int(sizeof r));
    Transact(d);
}

void TCOMEngine::HART_RdPVSensorInfo(TTXRXInfo& d, THART_RdPVSensorInfo& r)
{
    zero(r);
    beginHart(d, 14, r);
    Transact(d);
}

void TCOMEngine::HART_RdOutputInfo(TTXRXInfo& d, THART_RdOutputInfo& r)
{
    zero(r);
    beginHart(d, 15, r);
    Transact(d);
}

void TCOMEngine::HART_RdFinalAssNum(TTXRXInfo& d, THART_RdWrFinalAssNum& r)
{
    zero(r);
    beginHart(d, 16, r);
    Transact(d);
}

void TCOMEngine::HART_WrFinalAssNum(TTXRXInfo& d, THART_RdWrFinalAssNum& r)
{
    beginHart(d, 19, r);
    appendRequest(r.AssNum, 3);
    Transact(d);
}

void TCOMEngine::HART_WrDampingValue(TTXRXInfo& d, THART_RdWrDampingValue& r)
{
    beginHart(d, 34, r);
    appendRequest(r.Damping, 4);
    Transact(d);
}

void TCOMEngine::HART_WrRangeValue(TTXRXInfo& d, THART_RdWrRangeValue& r)
{
    beginHart(d, 35, r);
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
    beginHart(d, 40, r);
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
    beginHart(d, 45, r);
    appendRequest(r.current, 4);
    Transact(d);
}

void TCOMEngine::HART_TrimDACGain(TTXRXInfo& d, THART_TrimDAC& r)
{
    beginHart(d, 46, r);
    appendRequest(r.current, 4);
    Transact(d);
}

void TCOMEngine::HART_RdDeviceVarsVOL(TTXRXInfo& d, THART_RdDeviceVarsVOL& r)
{
    zero(r);
    beginHart(d, 128, r);
    Transact(d);
}

void TCOMEngine::HART_RdDeviceVarsFLOW(TTXRXInfo& d, THART_RdDeviceVarsFLOW& r)
{
    zero(r);
    beginHart(d, 129, r);
    Transact(d);
}

void TCOMEngine::HART_EnterExit(TTXRXInfo& d, THART_EnterExit& r)
{
    beginHart(d, 130, r, offsetof(THART_EnterExit, es));
    appendRequest(r.upsw, 2);
    appendRequest(r.mode);
    const quint8 unused[4] = {0, 0, 0, 0}; // the command carries 7 bytes; the last 4 mean nothing
    appendRequest(unused, 4);
    Transact(d);
}

void TCOMEngine::HART_RdParam(TTXRXInfo& d, THART_RdWrParam& r)
{
    beginHart(d, 131, r);
    appendRequest(r.pnum);
    Transact(d);
}

void TCOMEngine::HART_WrParam(TTXRXInfo& d, THART_RdWrParam& r)
{
    beginHart(d, 132, r);
    appendRequest(r.pnum);
    appendRequest(r.value, 4);
    Transact(d);
}

void TCOMEngine::HART_RdLinItem(TTXRXInfo& d, THART_RdWrLinItem& r)
{
    beginHart(d, 133, r);
    appendRequest(r.index);
    Transact(d);
}

void TCOMEngine::HART_WrLinItem(TTXRXInfo& d, THART_RdWrLinItem& r)
{
    beginHart(d, 134, r);
    appendRequest(r.index);
    appendRequest(r.level, 4);
    appendRequest(r.primary, 4);
    Transact(d);
}

void TCOMEngine::HART_LdDefault(TTXRXInfo& d, THART_LdDefault& r)
{
    beginHart(d, 135, r, offsetof(THART_LdDefault, es));
    appendRequest(r.mode);
    Transact(d);
}

void TCOMEngine::HART_RdEMapItem(TTXRXInfo& d, THART_RdEMapItem& r)
{
    beginHart(d, 136, r);
    appendRequest(r.index);
    Transact(d);
}

void TCOMEngine::HART_ClrTOT1(TTXRXInfo& d, THART_ClrTOT1& r)
{
    beginHart(d, 137, r);
    Transact(d);
}

void TCOMEngine::HART_ClrTOT2(TTXRXInfo& d, THART_ClrTOT2& r)
{
    beginHart(d, 138, r, offsetof(THART_ClrTOT2, es));
    appendRequest(r.fpsw, 2);
    Transact(d);
}

void TCOMEngine::HART_WrUPSW(TTXRXInfo& d, THART_WrUPSW& r)
{
    beginHart(d, 139, r, offsetof(THART_WrUPSW, es));
    appendRequest(r.upsw, 2);
    Transact(d);
}

void TCOMEngine::HART_WrVossecFinalAssNum(TTXRXInfo& d, THART_RdWrVosFinalAssNum& r)
{
    beginHart(d, 140, r, offsetof(THART_RdWrVosFinalAssNum, AssNum));
    appendRequest(r.psw, 2);
    appendRequest(r.AssNum, 3);
    Transact(d);
}

void TCOMEngine::HART_RdDeviceVarsEXT(TTXRXInfo& d, THART_RdDeviceVarsExt& r)
{
    zero(r);
    beginHart(d, 141, r);
    Transact(d);
}

void TCOMEngine::HART_RdExtendedInfo(TTXRXInfo& d, THART_RdExtInfo& r)
{
    beginHart(d, 142, r);
    appendRequest(rawBytes(r), int(sizeof r));
    Transact(d);
}

void TCOMEngine::HART_RdDeviceVarsTOTLONG(TTXRXInfo& d, THART_RdDeviceVarsTOTLONG& r)
{
    zero(r);
    beginHart(d, 149, r);
    Transact(d);
}

void TCOMEngine::HART_LOG_OpenClose(TTXRXInfo& d, THART_LOG_OpenClose& r)
{
    beginHart(d, 160, r, offsetof(THART_LOG_OpenClose, es));
    appendRequest(r.mode);
    Transact(d);
}

void TCOMEngine::HART_LOG_RdStatus(TTXRXInfo& d, THART_LOG_RdStatus& r)
{
    beginHart(d, 161, r);
    Transact(d);
}

void TCOMEngine::HART_LOG_Clr(TTXRXInfo& d, THART_LOG_RdStatus& r)
{
    beginHart(d, 162, r);
    Transact(d);
}

void TCOMEngine::HART_LOG_Seek(TTXRXInfo& d, THART_LOG_Seek& r)
{
    beginHart(d, 163, r, offsetof(THART_LOG_Seek, es));
    appendRequest(r.Whence);
    appendRequest(r.Offset, 2);
    Transact(d);
}

void TCOMEngine::HART_LOG_RdRecord(TTXRXInfo& d, THART_LOG_RdRecord& r)
{
    beginHart(d, 164, r, offsetof(THART_LOG_RdRecord, lstat));
    appendRequest(r.mode);
    Transact(d);
}

void TCOMEngine::HART_RTC_RdRTC(TTXRXInfo& d, THART_RTC_RdWrRTC& r)
{
    beginHart(d, 165, r);
    Transact(d);
}

void TCOMEngine::HART_RTC_WrRTC(TTXRXInfo& d, THART_RTC_RdWrRTC& r)
{
    beginHart(d, 166, r);
    appendRequest(rawBytes(r), int(sizeof r));
    Transact(d);
}

void TCOMEngine::HART_LOG_RdLFData(TTXRXInfo& d, THART_LOG_RdLFData& r)
{
    beginHart(d, 169, r);
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
    beginHart(d, 181, r);
    appendRequest(r.current, 4);
    Transact(d);
}

void TCOMEngine::HART_WrSecurity(TTXRXInfo& d, THART_WrSecuryCodes& r)
{
    beginHart(d, 190, r, offsetof(THART_WrSecuryCodes, es));
    appendRequest(r.fpsw, 2);
    Transact(d);
}

void TCOMEngine::HART_DoFactoryReset(TTXRXInfo& d, THART_DoFactoryReset& r)
{
    beginHart(d, 191, r, offsetof(THART_DoFactoryReset, es));
    appendRequest(r.fpsw, 2);
    appendRequest(r.mode);
    Transact(d);
}

} // namespace quentry
