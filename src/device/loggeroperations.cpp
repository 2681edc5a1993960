// Logger access: open and close, status, clear, seek, reading one row at a time (HART and
// MODE3) and one page of six rows at a time (MODE3 only), and the logger layout data.
#include "operationsupport.h"
#include "wirefields.h"

namespace quentry {

using namespace wirefield;
using detail::TEngineCommand;
using detail::run;

namespace {

TFrameError openClose(TOstraDevice& dev, TTXRXInfo& d, THART_PAS_LOG_OpenClose& r,
                      TEngineCommand<THART_LOG_OpenClose> command)
{
    THART_LOG_OpenClose raw{};
    raw.mode = r.mode;
    if (!run(dev, d, raw, command)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    CrackLOGStat(d, raw.lstat, r.lstat);
    return d.FrameError;
}

TFrameError rdStatus(TOstraDevice& dev, TTXRXInfo& d, THART_PAS_LOG_RdStatus& r,
                     TEngineCommand<THART_LOG_RdStatus> command)
{
    THART_LOG_RdStatus raw{};
    if (!run(dev, d, raw, command)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    CrackLOGStat(d, raw.lstat, r.lstat);
    return d.FrameError;
}

TFrameError seek(TOstraDevice& dev, TTXRXInfo& d, THART_PAS_LOG_Seek& r, TEngineCommand<THART_LOG_Seek> command)
{
    THART_LOG_Seek raw{};
    raw.Whence = r.Whence;
    putWord(raw.Offset, quint16(r.Offset));
    if (!run(dev, d, raw, command)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    CrackLOGStat(d, raw.lstat, r.lstat);
    return d.FrameError;
}

// hart: the row's status texts are cracked for the addressed device type (MODE3: type 0).
TFrameError rdRecord(TOstraDevice& dev, TTXRXInfo& d, THART_PAS_LOG_RdRecord& r, bool hart,
                     TEngineCommand<THART_LOG_RdRecord> command)
{
    THART_LOG_RdRecord raw{};
    raw.mode = r.mode;
    if (!run(dev, d, raw, command)) return FERR_INTERFACE;
    if (d.FrameError != FRERR_OK) {
        dev.Feedback().beep();
        return d.FrameError;
    }
    CrackLOGStat(d, raw.lstat, r.lstat);
    if (r.lstat.errorcode != 0) return d.FrameError; // the reader decides what to do
    LogConvertRowAndSwap(raw.row, r.row);
    // The row's error and status words are in host order already.
    _CrackErrStat(hart ? d.DeviceTypeID : 0, r.row.es);
    return d.FrameError;
}

TFrameError rdLFData(TOstraDevice& dev, TTXRXInfo& d, THART_PAS_LOG_RdLFData& r,
                     TEngineCommand<THART_LOG_RdLFData> command)
{
    THART_LOG_RdLFData raw{};
    if (!run(dev, d, raw, command)) return FERR_INTERFACE;
    CrackErrStat(d, raw.es, r.es);
    r.sor = raw.sor;
    r.index = word(raw.index);
    r.page = word(raw.page);
    r.elsoiras = Log_ConvertDate3ToDateTime(raw.elsoiras);
    r.utolsoiras = Log_ConvertDate3ToDateTime(raw.utolsoiras);
    r.status = raw.status;
    r.error = raw.error;
    r.x = raw.x;
    r.y = raw.y;
    r.ksz = raw.ksz;
    r.totalpagecount = word(raw.totalpagecount);
    r.rowperpage = raw.rowperpage;
    return d.FrameError;
}

} // namespace

TFrameError TOstraDevice::Log_OpenClose(TTXRXInfo& d, THART_PAS_LOG_OpenClose& r)
{
    return dispatch(d, r, &TOstraDevice::HartLog_OpenClose, &TOstraDevice::FastLog_OpenClose);
}
TFrameError TOstraDevice::HartLog_OpenClose(TTXRXInfo& d, THART_PAS_LOG_OpenClose& r)
{
    return openClose(*this, d, r, &TCOMEngine::HART_LOG_OpenClose);
}
TFrameError TOstraDevice::FastLog_OpenClose(TTXRXInfo& d, THART_PAS_LOG_OpenClose& r)
{
    return openClose(*this, d, r, &TCOMEngine::FAST_LOG_OpenClose);
}

TFrameError TOstraDevice::Log_RdStatus(TTXRXInfo& d, THART_PAS_LOG_RdStatus& r)
{
    return dispatch(d, r, &TOstraDevice::HartLog_RdStatus, &TOstraDevice::FastLog_RdStatus);
}
TFrameError TOstraDevice::HartLog_RdStatus(TTXRXInfo& d, THART_PAS_LOG_RdStatus& r)
{
    return rdStatus(*this, d, r, &TCOMEngine::HART_LOG_RdStatus);
}
TFrameError TOstraDevice::FastLog_RdStatus(TTXRXInfo& d, THART_PAS_LOG_RdStatus& r)
{
    return rdStatus(*this, d, r, &TCOMEngine::FAST_LOG_RdStatus);
}

TFrameError TOstraDevice::Log_Clr(TTXRXInfo& d, THART_PAS_LOG_RdStatus& r)
{
    return dispatch(d, r, &TOstraDevice::HartLog_Clr, &TOstraDevice::FastLog_Clr);
}
TFrameError TOstraDevice::HartLog_Clr(TTXRXInfo& d, THART_PAS_LOG_RdStatus& r)
{
    return rdStatus(*this, d, r, &TCOMEngine::HART_LOG_Clr);
}
TFrameError TOstraDevice::FastLog_Clr(TTXRXInfo& d, THART_PAS_LOG_RdStatus& r)
{
    return rdStatus(*this, d, r, &TCOMEngine::FAST_LOG_Clr);
}

TFrameError TOstraDevice::Log_Seek(TTXRXInfo& d, THART_PAS_LOG_Seek& r)
{
    return dispatch(d, r, &TOstraDevice::HartLog_Seek, &TOstraDevice::FastLog_Seek);
}
TFrameError TOstraDevice::HartLog_Seek(TTXRXInfo& d, THART_PAS_LOG_Seek& r)
{
    return seek(*this, d, r, &TCOMEngine::HART_LOG_Seek);
}
TFrameError TOstraDevice::FastLog_Seek(TTXRXInfo& d, THART_PAS_LOG_Seek& r)
{
    return seek(*this, d, r, &TCOMEngine::FAST_LOG_Seek);
}

TFrameError TOstraDevice::Log_RdRecord(TTXRXInfo& d, THART_PAS_LOG_RdRecord& r)
{
    return dispatch(d, r, &TOstraDevice::HartLog_RdRecord, &TOstraDevice::FastLog_RdRecord);
}
TFrameError TOstraDevice::HartLog_RdRecord(TTXRXInfo& d, THART_PAS_LOG_RdRecord& r)
{
    return rdRecord(*this, d, r, true, &TCOMEngine::HART_LOG_RdRecord);
}
TFrameError TOstraDevice::FastLog_RdRecord(TTXRXInfo& d, THART_PAS_LOG_RdRecord& r)
{
    return rdRecord(*this, d, r, false, &TCOMEngine::FAST_LOG_RdRecord);
}

TFrameError TOstraDevice::Log_RdLFData(TTXRXInfo& d, THART_PAS_LOG_RdLFData& r)
{
    return dispatch(d, r, &TOstraDevice::HartLog_RdLFData, &TOstraDevice::FastLog_RdLFData);
}
TFrameError TOstraDevice::HartLog_RdLFData(TTXRXInfo& d, THART_PAS_LOG_RdLFData& r)
{
    return rdLFData(*this, d, r, &TCOMEngine::HART_LOG_RdLFData);
}
TFrameError TOstraDevice::FastLog_RdLFData(TTXRXInfo& d, THART_PAS_LOG_RdLFData& r)
{
    return rdLFData(*this, d, r, &TCOMEngine::FAST_LOG_RdLFData);
}

TFrameError TOstraDevice::Log_RdPage(TTXRXInfo& d, TFAST_PAS_LOG_RdPage& r)
{
    return dispatch(d, r, nullptr, &TOstraDevice::FastLog_RdPage);
}
TFrameError TOstraDevice::FastLog_RdPage(TTXRXInfo& d, TFAST_PAS_LOG_RdPage& r)
{
    TFAST_LOG_RdPage raw{};
    putWord(raw.wrpageindex, r.pageindex);
    if (!run(*this, d, raw, &TCOMEngine::FAST_LOG_RdPage)) return FERR_INTERFACE;
    if (d.FrameError != FRERR_OK) {
        Feedback().beep();
        return d.FrameError;
    }
    LogDecodePage(raw, r);
    return d.FrameError;
}

} // namespace quentry
