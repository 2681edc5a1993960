// The transmitter family's own commands: measurements, parameters, linearisation table,
// echo map, totalisers, passwords, defaults, hardware data and clock. Where a command
// exists in both protocols, the HART and the FAST variant share one body and differ only
// in the engine command they run.
#include "operationsupport.h"
#include "wirefields.h"

namespace quentry {

using namespace wirefield;
using detail::TEngineCommand;
using detail::run;

namespace {

TFrameError rdMeas(TOstraDevice& dev, TTXRXInfo& d, THART_PAS_RdDeviceVarsExt& r,
                   TEngineCommand<THART_RdDeviceVarsExt> command)
{
    THART_RdDeviceVarsExt raw{};
    if (!run(dev, d, raw, command)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    r.PVunitcode = raw.PVunitcode;
    r.PVunitcodeStr = UnitCodeToStr(raw.PVunitcode);
    r.PV = single(raw.PV);
    r.BASEunitcode = raw.BASEunitcode;
    r.BASEunitcodeStr = UnitCodeToStr(raw.BASEunitcode);
    r.BASE = single(raw.BASE);
    r.LEVDISTunitcode = raw.LEVDISTunitcode;
    r.LEVDISTunitcodeStr = UnitCodeToStr(raw.LEVDISTunitcode);
    r.LEV = single(raw.LEV);
    r.DIST = single(raw.DIST);
    r.TOTunitcode = raw.TOTunitcode;
    r.TOTunitcodeStr = UnitCodeToStr(raw.TOTunitcode);
    r.TOT1 = single(raw.TOT1);
    r.TOT2 = single(raw.TOT2);
    r.Tempunitcode = raw.Tempunitcode;
    r.TempunitcodeStr = UnitCodeToStr(raw.Tempunitcode);
    r.Temp = single(raw.Temp);
    r.Current = single(raw.Current);
    r.LEVpercent = float(qint8(raw.LEVpercent));
    r.Currpercent = float(qint8(raw.Currpercent));
    return d.FrameError;
}

TFrameError enterExit(TOstraDevice& dev, TTXRXInfo& d, THART_PAS_EnterExit& r,
                      TEngineCommand<THART_EnterExit> command)
{
    THART_EnterExit raw{};
    putWord(raw.upsw, r.upsw); // the one password that is not BCD-coded
    raw.mode = r.mode;
    if (!run(dev, d, raw, command)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    return d.FrameError;
}

TFrameError rdWrParam(TOstraDevice& dev, TTXRXInfo& d, THART_PAS_RdWrParam& r, bool write,
                      TEngineCommand<THART_RdWrParam> command)
{
    THART_RdWrParam raw{};
    raw.pnum = r.pnum;
    if (write) putSingle(raw.value, r.value);
    if (!run(dev, d, raw, command)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    r.pnum = raw.pnum;
    r.attribute = raw.attribute;
    r.dim = raw.dim;
    r.dimstr = UnitCodeToStr(raw.dim);
    r.value = single(raw.value);
    return d.FrameError;
}

TFrameError rdWrLinItem(TOstraDevice& dev, TTXRXInfo& d, THART_PAS_RdWrLinItem& r, bool write,
                        TEngineCommand<THART_RdWrLinItem> command)
{
    THART_RdWrLinItem raw{};
    raw.index = r.index;
    if (write) {
        putSingle(raw.level, r.level);
        putSingle(raw.primary, r.primary);
    }
    if (!run(dev, d, raw, command)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    r.total = raw.total;
    r.index = raw.index;
    r.ldim = raw.ldim;
    r.ldimstr = UnitCodeToStr(raw.ldim);
    r.level = single(raw.level);
    r.pdim = raw.pdim;
    r.pdimstr = UnitCodeToStr(raw.pdim);
    r.primary = single(raw.primary);
    return d.FrameError;
}

TFrameError ldDefault(TOstraDevice& dev, TTXRXInfo& d, THART_PAS_LdDefault& r,
                      TEngineCommand<THART_LdDefault> command)
{
    THART_LdDefault raw{};
    raw.mode = r.mode;
    if (!run(dev, d, raw, command)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    return d.FrameError;
}

TFrameError rdEMapItem(TOstraDevice& dev, TTXRXInfo& d, THART_PAS_RdEMapItem& r,
                       TEngineCommand<THART_RdEMapItem> command)
{
    THART_RdEMapItem raw{};
    raw.index = r.index;
    if (!run(dev, d, raw, command)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    r.total = raw.total;
    r.index = raw.index;
    r.selpeak = raw.selpeak;
    r.ddim = raw.ddim;
    r.ddimstr = UnitCodeToStr(raw.ddim);
    r.dist = single(raw.dist);
    r.ampl = single(raw.ampl);
    return d.FrameError;
}

TFrameError clrTOT1(TOstraDevice& dev, TTXRXInfo& d, THART_PAS_ClrTOT1& r, TEngineCommand<THART_ClrTOT1> command)
{
    THART_ClrTOT1 raw{};
    if (!run(dev, d, raw, command)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    r.TOTunitcode = raw.TOTunitcode;
    r.TOTunitcodeStr = UnitCodeToStr(raw.TOTunitcode);
    r.TOT1 = single(raw.TOT1);
    r.TOT2 = single(raw.TOT2);
    return d.FrameError;
}

TFrameError clrTOT2(TOstraDevice& dev, TTXRXInfo& d, THART_PAS_ClrTOT2& r, TEngineCommand<THART_ClrTOT2> command)
{
    THART_ClrTOT2 raw{};
    putPassword(raw.fpsw, r.fpsw);
    if (!run(dev, d, raw, command)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    r.TOTunitcode = raw.TOTunitcode;
    r.TOTunitcodeStr = UnitCodeToStr(raw.TOTunitcode);
    r.TOT1 = single(raw.TOT1);
    r.TOT2 = single(raw.TOT2);
    return d.FrameError;
}

TFrameError wrUPSW(TOstraDevice& dev, TTXRXInfo& d, THART_PAS_WrUPSW& r, TEngineCommand<THART_WrUPSW> command)
{
    THART_WrUPSW raw{};
    putPassword(raw.upsw, r.upsw);
    if (!run(dev, d, raw, command)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    return d.FrameError;
}

TFrameError wrVossecFinalAssNum(TOstraDevice& dev, TTXRXInfo& d, THART_PAS_RdWrVosFinalAssNum& r,
                                TEngineCommand<THART_RdWrVosFinalAssNum> command)
{
    THART_RdWrVosFinalAssNum raw{};
    putPassword(raw.psw, r.psw);
    IntToBytes3(r.AssNum, raw.AssNum);
    if (!run(dev, d, raw, command)) return FERR_INTERFACE;
    r.AssNum = Bytes3ToInt(raw.AssNum); // this reply has no status block
    return d.FrameError;
}

// The clock's date and time to the minute; a moment no calendar has reads as 1999-01-01.
void decodeRTC(const THART_RTC_RdWrRTC& raw, THART_PAS_RTC_RdWrRTC& r)
{
    r.DateTime = dateOrFallback(word(raw.Century), raw.Month, raw.Day, raw.Hour, raw.Min);
    r.Seconds = raw.Sec;
}

} // namespace

// ---- HART and MODE3 ------------------------------------------------------------------------

TFrameError TOstraDevice::RdMeas(TTXRXInfo& d, THART_PAS_RdDeviceVarsExt& r)
{
    return dispatch(d, r, &TOstraDevice::HartRdDeviceVarsEXT, &TOstraDevice::FastRdMeas);
}
TFrameError TOstraDevice::HartRdDeviceVarsEXT(TTXRXInfo& d, THART_PAS_RdDeviceVarsExt& r)
{
    return rdMeas(*this, d, r, &TCOMEngine::HART_RdDeviceVarsEXT);
}
TFrameError TOstraDevice::FastRdMeas(TTXRXInfo& d, THART_PAS_RdDeviceVarsExt& r)
{
    return rdMeas(*this, d, r, &TCOMEngine::FAST_RDMEAS);
}

TFrameError TOstraDevice::EnterExit(TTXRXInfo& d, THART_PAS_EnterExit& r)
{
    return dispatch(d, r, &TOstraDevice::HartEnterExit, &TOstraDevice::FastEnterExit);
}
TFrameError TOstraDevice::HartEnterExit(TTXRXInfo& d, THART_PAS_EnterExit& r)
{
    return enterExit(*this, d, r, &TCOMEngine::HART_EnterExit);
}
TFrameError TOstraDevice::FastEnterExit(TTXRXInfo& d, THART_PAS_EnterExit& r)
{
    return enterExit(*this, d, r, &TCOMEngine::FAST_ENTEREXIT);
}

TFrameError TOstraDevice::RdParam(TTXRXInfo& d, THART_PAS_RdWrParam& r)
{
    return dispatch(d, r, &TOstraDevice::HartRdParam, &TOstraDevice::FastRdParam);
}
TFrameError TOstraDevice::HartRdParam(TTXRXInfo& d, THART_PAS_RdWrParam& r)
{
    return rdWrParam(*this, d, r, false, &TCOMEngine::HART_RdParam);
}
TFrameError TOstraDevice::FastRdParam(TTXRXInfo& d, THART_PAS_RdWrParam& r)
{
    return rdWrParam(*this, d, r, false, &TCOMEngine::FAST_RDPTAB);
}

TFrameError TOstraDevice::WrParam(TTXRXInfo& d, THART_PAS_RdWrParam& r)
{
    return dispatch(d, r, &TOstraDevice::HartWrParam, &TOstraDevice::FastWrParam);
}
TFrameError TOstraDevice::HartWrParam(TTXRXInfo& d, THART_PAS_RdWrParam& r)
{
    return rdWrParam(*this, d, r, true, &TCOMEngine::HART_WrParam);
}
TFrameError TOstraDevice::FastWrParam(TTXRXInfo& d, THART_PAS_RdWrParam& r)
{
    return rdWrParam(*this, d, r, true, &TCOMEngine::FAST_WRPTAB);
}

TFrameError TOstraDevice::RdLinItem(TTXRXInfo& d, THART_PAS_RdWrLinItem& r)
{
    return dispatch(d, r, &TOstraDevice::HartRdLinItem, &TOstraDevice::FastRdLinItem);
}
TFrameError TOstraDevice::HartRdLinItem(TTXRXInfo& d, THART_PAS_RdWrLinItem& r)
{
    return rdWrLinItem(*this, d, r, false, &TCOMEngine::HART_RdLinItem);
}
TFrameError TOstraDevice::FastRdLinItem(TTXRXInfo& d, THART_PAS_RdWrLinItem& r)
{
    return rdWrLinItem(*this, d, r, false, &TCOMEngine::FAST_RDLINTAB);
}

TFrameError TOstraDevice::WrLinItem(TTXRXInfo& d, THART_PAS_RdWrLinItem& r)
{
    return dispatch(d, r, &TOstraDevice::HartWrLinItem, &TOstraDevice::FastWrLinItem);
}
TFrameError TOstraDevice::HartWrLinItem(TTXRXInfo& d, THART_PAS_RdWrLinItem& r)
{
    return rdWrLinItem(*this, d, r, true, &TCOMEngine::HART_WrLinItem);
}
TFrameError TOstraDevice::FastWrLinItem(TTXRXInfo& d, THART_PAS_RdWrLinItem& r)
{
    return rdWrLinItem(*this, d, r, true, &TCOMEngine::FAST_WRLINTAB);
}

TFrameError TOstraDevice::LdDefault(TTXRXInfo& d, THART_PAS_LdDefault& r)
{
    return dispatch(d, r, &TOstraDevice::HartLdDefault, &TOstraDevice::FastLdDefault);
}
TFrameError TOstraDevice::HartLdDefault(TTXRXInfo& d, THART_PAS_LdDefault& r)
{
    return ldDefault(*this, d, r, &TCOMEngine::HART_LdDefault);
}
TFrameError TOstraDevice::FastLdDefault(TTXRXInfo& d, THART_PAS_LdDefault& r)
{
    return ldDefault(*this, d, r, &TCOMEngine::FAST_LDDEFAULT);
}

TFrameError TOstraDevice::RdEMapItem(TTXRXInfo& d, THART_PAS_RdEMapItem& r)
{
    return dispatch(d, r, &TOstraDevice::HartRdEMapItem, &TOstraDevice::FastRdEMapItem);
}
TFrameError TOstraDevice::HartRdEMapItem(TTXRXInfo& d, THART_PAS_RdEMapItem& r)
{
    return rdEMapItem(*this, d, r, &TCOMEngine::HART_RdEMapItem);
}
TFrameError TOstraDevice::FastRdEMapItem(TTXRXInfo& d, THART_PAS_RdEMapItem& r)
{
    return rdEMapItem(*this, d, r, &TCOMEngine::FAST_RDECHOMAP);
}

TFrameError TOstraDevice::ClrTOT1(TTXRXInfo& d, THART_PAS_ClrTOT1& r)
{
    return dispatch(d, r, &TOstraDevice::HartClrTOT1, &TOstraDevice::FastClrTOT1);
}
TFrameError TOstraDevice::HartClrTOT1(TTXRXInfo& d, THART_PAS_ClrTOT1& r)
{
    return clrTOT1(*this, d, r, &TCOMEngine::HART_ClrTOT1);
}
TFrameError TOstraDevice::FastClrTOT1(TTXRXInfo& d, THART_PAS_ClrTOT1& r)
{
    return clrTOT1(*this, d, r, &TCOMEngine::FAST_CLRTOT1);
}

TFrameError TOstraDevice::ClrTOT2(TTXRXInfo& d, THART_PAS_ClrTOT2& r)
{
    return dispatch(d, r, &TOstraDevice::HartClrTOT2, &TOstraDevice::FastClrTOT2);
}
TFrameError TOstraDevice::HartClrTOT2(TTXRXInfo& d, THART_PAS_ClrTOT2& r)
{
    return clrTOT2(*this, d, r, &TCOMEngine::HART_ClrTOT2);
}
TFrameError TOstraDevice::FastClrTOT2(TTXRXInfo& d, THART_PAS_ClrTOT2& r)
{
    return clrTOT2(*this, d, r, &TCOMEngine::FAST_CLRTOT2);
}

TFrameError TOstraDevice::WrUPSW(TTXRXInfo& d, THART_PAS_WrUPSW& r)
{
    return dispatch(d, r, &TOstraDevice::HartWrUPSW, &TOstraDevice::FastWrUPSW);
}
TFrameError TOstraDevice::HartWrUPSW(TTXRXInfo& d, THART_PAS_WrUPSW& r)
{
    return wrUPSW(*this, d, r, &TCOMEngine::HART_WrUPSW);
}
TFrameError TOstraDevice::FastWrUPSW(TTXRXInfo& d, THART_PAS_WrUPSW& r)
{
    return wrUPSW(*this, d, r, &TCOMEngine::FAST_WrUPSW);
}

TFrameError TOstraDevice::WrVossecFinalAssNum(TTXRXInfo& d, THART_PAS_RdWrVosFinalAssNum& r)
{
    return dispatch(d, r, &TOstraDevice::HartWrVossecFinalAssNum, &TOstraDevice::FastWrVossecFinalAssNum);
}
TFrameError TOstraDevice::HartWrVossecFinalAssNum(TTXRXInfo& d, THART_PAS_RdWrVosFinalAssNum& r)
{
    return wrVossecFinalAssNum(*this, d, r, &TCOMEngine::HART_WrVossecFinalAssNum);
}
TFrameError TOstraDevice::FastWrVossecFinalAssNum(TTXRXInfo& d, THART_PAS_RdWrVosFinalAssNum& r)
{
    return wrVossecFinalAssNum(*this, d, r, &TCOMEngine::FAST_WRVOSASSNUM);
}

// ---- HART only -----------------------------------------------------------------------------

TFrameError TOstraDevice::RdDeviceVarsVOL(TTXRXInfo& d, THART_PAS_RdDeviceVarsVOL& r)
{
    return dispatch(d, r, &TOstraDevice::HartRdDeviceVarsVOL, nullptr);
}
TFrameError TOstraDevice::HartRdDeviceVarsVOL(TTXRXInfo& d, THART_PAS_RdDeviceVarsVOL& r)
{
    THART_RdDeviceVarsVOL raw{};
    if (!run(*this, d, raw, &TCOMEngine::HART_RdDeviceVarsVOL)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    r.PVunitcode = raw.PVunitcode;
    r.PVunitcodeStr = UnitCodeToStr(raw.PVunitcode);
    r.PV = single(raw.PV);
    r.LEVunitcode = raw.LEVunitcode;
    r.LEVunitcodeStr = UnitCodeToStr(raw.LEVunitcode);
    r.LEV = single(raw.LEV);
    r.LEVpercent = single(raw.LEVpercent);
    r.Current = single(raw.Current);
    return d.FrameError;
}

TFrameError TOstraDevice::RdDeviceVarsFLOW(TTXRXInfo& d, THART_PAS_RdDeviceVarsFLOW& r)
{
    return dispatch(d, r, &TOstraDevice::HartRdDeviceVarsFLOW, nullptr);
}
TFrameError TOstraDevice::HartRdDeviceVarsFLOW(TTXRXInfo& d, THART_PAS_RdDeviceVarsFLOW& r)
{
    THART_RdDeviceVarsFLOW raw{};
    if (!run(*this, d, raw, &TCOMEngine::HART_RdDeviceVarsFLOW)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    r.PVunitcode = raw.PVunitcode;
    r.PVunitcodeStr = UnitCodeToStr(raw.PVunitcode);
    r.PV = single(raw.PV);
    r.LEVunitcode = raw.LEVunitcode;
    r.LEVunitcodeStr = UnitCodeToStr(raw.LEVunitcode);
    r.LEV = single(raw.LEV);
    r.TOTunitcode = raw.TOTunitcode;
    r.TOTunitcodeStr = UnitCodeToStr(raw.TOTunitcode);
    r.TOT1 = single(raw.TOT1);
    r.TOT2 = single(raw.TOT2);
    return d.FrameError;
}

TFrameError TOstraDevice::RdDeviceVarsTOTLONG(TTXRXInfo& d, THART_PAS_RdDeviceVarsTOTLONG& r)
{
    return dispatch(d, r, &TOstraDevice::HartRdDeviceVarsTOTLONG, nullptr);
}
TFrameError TOstraDevice::HartRdDeviceVarsTOTLONG(TTXRXInfo& d, THART_PAS_RdDeviceVarsTOTLONG& r)
{
    THART_RdDeviceVarsTOTLONG raw{};
    if (!run(*this, d, raw, &TCOMEngine::HART_RdDeviceVarsTOTLONG)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    r.PVunitcode = raw.PVunitcode;
    r.PVunitcodeStr = UnitCodeToStr(raw.PVunitcode);
    r.PV = single(raw.PV);
    r.LEVunitcode = raw.LEVunitcode;
    r.LEVunitcodeStr = UnitCodeToStr(raw.LEVunitcode);
    r.LEV = single(raw.LEV);
    r.TOTunitcode = raw.TOTunitcode;
    r.TOTunitcodeStr = UnitCodeToStr(raw.TOTunitcode);
    r.TOT1 = readBE32(raw.TOT1); // 32-bit integer totalisers, most significant byte first
    r.TOT2 = readBE32(raw.TOT2);
    return d.FrameError;
}

TFrameError TOstraDevice::RdExtendedInfo(TTXRXInfo& d, THART_PAS_RdExtInfo& r)
{
    return dispatch(d, r, &TOstraDevice::HartRdExtendedInfo, nullptr);
}
TFrameError TOstraDevice::HartRdExtendedInfo(TTXRXInfo& d, THART_PAS_RdExtInfo& r)
{
    THART_RdExtInfo raw{}; // the command sends the whole record; nothing in it is asked for
    if (!run(*this, d, raw, &TCOMEngine::HART_RdExtendedInfo)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    r.HWcode = word(raw.HWcode);
    r.USWversion = word(raw.USWversion);
    r.ACSWversion = word(raw.ACSWversion);
    r.FAddress = raw.FAddress;
    r.FConfig = word(raw.FConfig);
    r.HDeviceTypeID = raw.HDeviceTypeID;
    r.SWsubcode = raw.SWsubcode;
    return d.FrameError;
}

TFrameError TOstraDevice::WrHWID(TTXRXInfo& d, THART_PAS_WrHWID& r)
{
    return dispatch(d, r, &TOstraDevice::HartWrHWID, nullptr);
}
TFrameError TOstraDevice::HartWrHWID(TTXRXInfo& d, THART_PAS_WrHWID& r)
{
    THART_WrHWID raw{};
    putPassword(raw.fpsw, r.fpsw);
    putPassword(raw.upsw, r.upsw);
    putWord(raw.hwid, r.hwid); // an identifier, not a password
    if (!run(*this, d, raw, &TCOMEngine::HART_WrHWID)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es); // the reply carries no data: the block decodes as all clear
    return d.FrameError;
}

TFrameError TOstraDevice::WrCurrTest(TTXRXInfo& d, THART_PAS_WrCurrTest& r)
{
    return dispatch(d, r, &TOstraDevice::HartWrCurrTest, nullptr);
}
TFrameError TOstraDevice::HartWrCurrTest(TTXRXInfo& d, THART_PAS_WrCurrTest& r)
{
    THART_WrCurrTest raw{};
    putSingle(raw.current, r.current);
    if (!run(*this, d, raw, &TCOMEngine::HART_WrCurrTest)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    r.current = single(raw.current);
    return d.FrameError;
}

TFrameError TOstraDevice::WrSecurity(TTXRXInfo& d, THART_PAS_WrSecuryCodes& r)
{
    return dispatch(d, r, &TOstraDevice::HartWrSecurity, nullptr);
}
TFrameError TOstraDevice::HartWrSecurity(TTXRXInfo& d, THART_PAS_WrSecuryCodes& r)
{
    THART_WrSecuryCodes raw{};
    putPassword(raw.fpsw, r.fpsw);
    if (!run(*this, d, raw, &TCOMEngine::HART_WrSecurity)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    r.fcode = raw.fcode;
    return d.FrameError;
}

TFrameError TOstraDevice::HartDoFactoryReset(TTXRXInfo& d, THART_PAS_DoFactoryReset& r)
{
    THART_DoFactoryReset raw{};
    putPassword(raw.fpsw, r.fpsw);
    raw.mode = r.mode;
    if (!run(*this, d, raw, &TCOMEngine::HART_DoFactoryReset)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    r.fcode = raw.fcode;
    return d.FrameError;
}

TFrameError TOstraDevice::Rtc_RdRTC(TTXRXInfo& d, THART_PAS_RTC_RdWrRTC& r)
{
    return dispatch(d, r, &TOstraDevice::HartRtc_RdRTC, nullptr);
}
TFrameError TOstraDevice::HartRtc_RdRTC(TTXRXInfo& d, THART_PAS_RTC_RdWrRTC& r)
{
    THART_RTC_RdWrRTC raw{};
    if (!run(*this, d, raw, &TCOMEngine::HART_RTC_RdRTC)) return FERR_INTERFACE;
    if (d.FrameError == FRERR_OK) decodeRTC(raw, r);
    return d.FrameError;
}

TFrameError TOstraDevice::Rtc_WrRTC(TTXRXInfo& d, THART_PAS_RTC_RdWrRTC& r)
{
    return dispatch(d, r, &TOstraDevice::HartRtc_WrRTC, nullptr);
}
TFrameError TOstraDevice::HartRtc_WrRTC(TTXRXInfo& d, THART_PAS_RTC_RdWrRTC& r)
{
    // A value that names no moment sets the clock to the start of 2000.
    const TDateTimeParts t = TryDecodeDateTime(r.DateTime).value_or(TDateTimeParts{2000, 1, 1});
    THART_RTC_RdWrRTC raw{};
    putWord(raw.Century, quint16(t.year));
    raw.Month = quint8(t.month);
    raw.Day = quint8(t.day);
    raw.Hour = quint8(t.hour);
    raw.Min = quint8(t.minute);
    raw.Sec = quint8(t.second);
    if (!run(*this, d, raw, &TCOMEngine::HART_RTC_WrRTC)) return FERR_INTERFACE;
    if (d.FrameError == FRERR_OK) decodeRTC(raw, r);
    return d.FrameError;
}

// ---- MODE3 only ----------------------------------------------------------------------------

TFrameError TOstraDevice::Reset(TTXRXInfo& d, THART_PAS_ERRSTAT& r)
{
    return dispatch(d, r, nullptr, &TOstraDevice::FastReset);
}
TFrameError TOstraDevice::FastReset(TTXRXInfo& d, THART_PAS_ERRSTAT& r)
{
    THART_ERRSTAT raw{};
    if (!run(*this, d, raw, &TCOMEngine::FAST_RESET)) return FERR_INTERFACE;
    CrackErrStat(d, raw, r);
    return d.FrameError;
}

} // namespace quentry
