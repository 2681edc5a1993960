// The published HART commands: identity texts, ranges, damping, loop current and trim.
// They always use the HART engine command, whatever the protocol.
#include "ostradevice.h"
#include "wirefields.h"

namespace quentry {

using namespace wirefield;

namespace {

void putPacked(const QString& text, quint8* dest, int bytes) { PackASCII(text, dest, bytes); }
QString unpacked(const quint8* src, int bytes) { return withoutTrailingBlanks(UnpackASCII(src, bytes)); }

void decodeTagDescDate(const THART_RdWrTagDestDate& raw, THART_PAS_RdWrTagDestDate& r)
{
    r.Tag = unpacked(raw.Tag, 6);
    r.Descriptor = unpacked(raw.Descriptor, 12);
    r.Date = dateOrFallback(1900 + raw.Date[2], raw.Date[1], raw.Date[0]);
}

} // namespace

TFrameError TOstraDevice::RdPrimaryVariable(TTXRXInfo& f_device, THART_PAS_RdPV& r)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    THART_RdPV raw{};
    FCOMEngine->HART_RdPrimaryVariable(f_device, raw);
    r.Unitcode = raw.Unitcode;
    r.UnitcodeStr = UnitCodeToStr(raw.Unitcode);
    r.PV = single(raw.PV);
    return f_device.FrameError;
}

TFrameError TOstraDevice::RdCurrentPercentOfRange(TTXRXInfo& f_device, THART_PAS_RdCurrentPercentOfRange& r)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    THART_RdCurrentPercentOfRange raw{};
    FCOMEngine->HART_RdCurrentPercentOfRange(f_device, raw);
    r.Current = single(raw.Current);
    r.Percentofrange = single(raw.Percentofrange);
    return f_device.FrameError;
}

TFrameError TOstraDevice::RdCurrentFourDVar(TTXRXInfo& f_device, THART_PAS_RdCurrentFourDVar& r)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    THART_RdCurrentFourDVar raw{};
    FCOMEngine->HART_RdCurrentFourDVar(f_device, raw);
    r.Current = single(raw.Current);
    r.PVunitcode = raw.PVunitcode;
    r.PVunitcodeSTR = UnitCodeToStr(raw.PVunitcode);
    r.PV = single(raw.PV);
    r.SVunitcode = raw.SVunitcode;
    r.SVunitcodeSTR = UnitCodeToStr(raw.SVunitcode);
    r.SV = single(raw.SV);
    r.TVunitcode = raw.TVunitcode;
    r.TVunitcodeSTR = UnitCodeToStr(raw.TVunitcode);
    r.TV = single(raw.TV);
    r.FVunitcode = raw.FVunitcode;
    r.FVunitcodeSTR = UnitCodeToStr(raw.FVunitcode);
    r.FV = single(raw.FV);
    return f_device.FrameError;
}

TFrameError TOstraDevice::WrPollingAddress(TTXRXInfo& f_device, quint8& f_PollAddr)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    FCOMEngine->HART_WrPollingAddress(f_device, f_PollAddr);
    return f_device.FrameError;
}

TFrameError TOstraDevice::RdMessage(TTXRXInfo& f_device, QString& f_Message)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    f_Message = withoutTrailingBlanks(FCOMEngine->HART_RdMessage(f_device));
    return f_device.FrameError;
}

TFrameError TOstraDevice::WrMessage(TTXRXInfo& f_device, QString& f_Message)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    f_Message = PadString(f_Message, 32);
    THART_RdWrMessage raw{};
    putPacked(f_Message, raw.PackedMessage, 24);
    FCOMEngine->HART_WrMessage(f_device, raw);
    if (f_device.FrameError == FRERR_OK) f_Message = unpacked(raw.PackedMessage, 24);
    return f_device.FrameError;
}

TFrameError TOstraDevice::RdTagDescDate(TTXRXInfo& f_device, THART_PAS_RdWrTagDestDate& r)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    THART_RdWrTagDestDate raw{};
    FCOMEngine->HART_RdTagDescDate(f_device, raw);
    if (f_device.FrameError == FRERR_OK) decodeTagDescDate(raw, r);
    return f_device.FrameError;
}

TFrameError TOstraDevice::WrTagDescDate(TTXRXInfo& f_device, THART_PAS_RdWrTagDestDate& r)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    r.Tag = PadString(r.Tag, 8);
    r.Descriptor = PadString(r.Descriptor, 16);
    THART_RdWrTagDestDate raw{};
    putPacked(r.Tag, raw.Tag, 6);
    putPacked(r.Descriptor, raw.Descriptor, 12);
    // A date-time that names no day goes out as the clock's own default.
    const TDateTimeParts date = TryDecodeDateTime(r.Date).value_or(TDateTimeParts{2000, 1, 1});
    raw.Date[0] = quint8(date.day);
    raw.Date[1] = quint8(date.month);
    raw.Date[2] = quint8(date.year - 1900);
    FCOMEngine->HART_WrTagDescDate(f_device, raw);
    if (f_device.FrameError == FRERR_OK) decodeTagDescDate(raw, r);
    return f_device.FrameError;
}

TFrameError TOstraDevice::RdPVSensorInfo(TTXRXInfo& f_device, THART_PAS_RdPVSensorInfo& r)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    THART_RdPVSensorInfo raw{};
    FCOMEngine->HART_RdPVSensorInfo(f_device, raw);
    r.SerNum = Bytes3ToInt(raw.SerNum);
    r.UnitLimitSpan = raw.UnitLimitSpan;
    r.UnitLimitSpanStr = UnitCodeToStr(raw.UnitLimitSpan);
    r.UpperSensorLimit = single(raw.UpperSensorLimit);
    r.LowerSensorLimit = single(raw.LowerSensorLimit);
    r.minimumspan = single(raw.minimumspan);
    return f_device.FrameError;
}

TFrameError TOstraDevice::RdOutputInfo(TTXRXInfo& f_device, THART_PAS_RdOutputInfo& r)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    THART_RdOutputInfo raw{};
    FCOMEngine->HART_RdOutputInfo(f_device, raw);
    r.AlarmSelectCode = raw.AlarmSelectCode;
    r.TransferFuntionCode = raw.TransferFuntionCode;
    r.PVrangeUnitCode = raw.PVrangeUnitCode;
    r.PVrangeUnitCodeStr = UnitCodeToStr(raw.PVrangeUnitCode);
    r.UpperRangeValue = single(raw.UpperRangeValue);
    r.LowerRangeValue = single(raw.LowerRangeValue);
    r.Damping = single(raw.Damping);
    r.WriteProtectCode = raw.WriteProtectCode;
    r.PrivateLabelCode = raw.PrivateLabelCode;
    return f_device.FrameError;
}

TFrameError TOstraDevice::RdFinalAssNum(TTXRXInfo& f_device, THART_PAS_RdWrFinalAssNum& r)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    THART_RdWrFinalAssNum raw{};
    FCOMEngine->HART_RdFinalAssNum(f_device, raw);
    r.AssNum = Bytes3ToInt(raw.AssNum);
    return f_device.FrameError;
}

TFrameError TOstraDevice::WrFinalAssNum(TTXRXInfo& f_device, THART_PAS_RdWrFinalAssNum& r)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    THART_RdWrFinalAssNum raw{};
    IntToBytes3(r.AssNum, raw.AssNum);
    FCOMEngine->HART_WrFinalAssNum(f_device, raw);
    r.AssNum = Bytes3ToInt(raw.AssNum);
    return f_device.FrameError;
}

TFrameError TOstraDevice::WrDampingValue(TTXRXInfo& f_device, THART_PAS_RdWrDampingValue& r)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    THART_RdWrDampingValue raw{};
    putSingle(raw.Damping, r.Damping);
    FCOMEngine->HART_WrDampingValue(f_device, raw);
    r.Damping = single(raw.Damping);
    return f_device.FrameError;
}

TFrameError TOstraDevice::WrRangeValue(TTXRXInfo& f_device, THART_PAS_RdWrRangeValue& r)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    THART_RdWrRangeValue raw{};
    raw.rangeunit = 0; // the transmitter keeps its own unit
    putSingle(raw.upper, r.upper);
    putSingle(raw.lower, r.lower);
    FCOMEngine->HART_WrRangeValue(f_device, raw);
    r.rangeunit = UnitCodeToStr(raw.rangeunit);
    return f_device.FrameError;
}

TFrameError TOstraDevice::SetUpperRangeValue(TTXRXInfo& f_device)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    FCOMEngine->HART_SetUpperRangeValue(f_device);
    return f_device.FrameError;
}

TFrameError TOstraDevice::SetLowerRangeValue(TTXRXInfo& f_device)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    FCOMEngine->HART_SetLowerRangeValue(f_device);
    return f_device.FrameError;
}

TFrameError TOstraDevice::ResetConfigChangeFlag(TTXRXInfo& f_device)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    FCOMEngine->HART_ResetConfigChangeFlag(f_device);
    return f_device.FrameError;
}

TFrameError TOstraDevice::EnterExitFixCurrent(TTXRXInfo& f_device, THART_PAS_EnterExitFixCurrent& r)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    THART_EnterExitFixCurrent raw{};
    putSingle(raw.current, r.current);
    FCOMEngine->HART_EnterExitFixCurrent(f_device, raw);
    return f_device.FrameError;
}

TFrameError TOstraDevice::MasterReset(TTXRXInfo& f_device)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    FCOMEngine->HART_MasterReset(f_device);
    return f_device.FrameError;
}

TFrameError TOstraDevice::TrimDACZero(TTXRXInfo& f_device, THART_PAS_TrimDAC& r)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    THART_TrimDAC raw{};
    putSingle(raw.current, r.current);
    FCOMEngine->HART_TrimDACZero(f_device, raw);
    return f_device.FrameError;
}

TFrameError TOstraDevice::TrimDACGain(TTXRXInfo& f_device, THART_PAS_TrimDAC& r)
{
    if (!FCOMEngine) return FERR_INTERFACE;
    PrepareSend(f_device);
    THART_TrimDAC raw{};
    putSingle(raw.current, r.current);
    FCOMEngine->HART_TrimDACGain(f_device, raw);
    return f_device.FrameError;
}

} // namespace quentry
