// The FAST commands of TCOMEngine. They reuse the HART raw records; FAST records are never
// cleared first, so a caller looks at FrameError before using one.
#include "comengine.h"

#include <cstddef>

namespace quentry {

void TCOMEngine::FAST_RDMEAS(TTXRXInfo& d, TFAST_RDMEAS& r)
{
    beginFast<0>(d, r);
    Transact(d);
}

void TCOMEngine::FAST_RESET(TTXRXInfo& d, THART_ERRSTAT& r)
{
    beginFast<1>(d, r);
    Transact(d);
}

void TCOMEngine::FAST_ENTEREXIT(TTXRXInfo& d, THART_EnterExit& r)
{
    beginFast<2, offsetof(THART_EnterExit, es)>(d, r);
    appendRequest(r.upsw, 2);
    appendRequest(r.mode);
    Transact(d);
}

void TCOMEngine::FAST_RDPTAB(TTXRXInfo& d, THART_RdWrParam& r)
{
    beginFast<3>(d, r);
    appendRequest(r.pnum);
    Transact(d);
}

void TCOMEngine::FAST_WRPTAB(TTXRXInfo& d, THART_RdWrParam& r)
{
    beginFast<4>(d, r);
    appendRequest(r.pnum);
    appendRequest(r.value, 4);
    Transact(d);
}

void TCOMEngine::FAST_RDLINTAB(TTXRXInfo& d, THART_RdWrLinItem& r)
{
    beginFast<5>(d, r);
    appendRequest(r.index);
    Transact(d);
}

void TCOMEngine::FAST_WRLINTAB(TTXRXInfo& d, THART_RdWrLinItem& r)
{
    beginFast<6>(d, r);
    appendRequest(r.index);
    appendRequest(r.level, 4);
    appendRequest(r.primary, 4);
    Transact(d);
}

void TCOMEngine::FAST_RDECHOMAP(TTXRXInfo& d, THART_RdEMapItem& r)
{
    beginFast<7>(d, r);
    appendRequest(r.index);
    Transact(d);
}

void TCOMEngine::FAST_CLRTOT1(TTXRXInfo& d, THART_ClrTOT1& r)
{
    beginFast<8>(d, r);
    Transact(d);
}

void TCOMEngine::FAST_CLRTOT2(TTXRXInfo& d, THART_ClrTOT2& r)
{
    beginFast<9, offsetof(THART_ClrTOT2, es)>(d, r);
    appendRequest(r.fpsw, 2);
    Transact(d);
}

void TCOMEngine::FAST_LDDEFAULT(TTXRXInfo& d, THART_LdDefault& r)
{
    beginFast<10>(d, r.es); // the reply fills the status only
    appendRequest(r.mode);
    Transact(d);
}

void TCOMEngine::FAST_WRVOSASSNUM(TTXRXInfo& d, THART_RdWrVosFinalAssNum& r)
{
    beginFast<11, offsetof(THART_RdWrVosFinalAssNum, AssNum)>(d, r);
    appendRequest(r.psw, 2);
    appendRequest(r.AssNum, 3);
    Transact(d);
}

void TCOMEngine::FAST_WrUPSW(TTXRXInfo& d, THART_WrUPSW& r)
{
    beginFast<12, offsetof(THART_WrUPSW, es)>(d, r);
    appendRequest(r.upsw, 2);
    Transact(d);
}

void TCOMEngine::FAST_LOG_OpenClose(TTXRXInfo& d, THART_LOG_OpenClose& r)
{
    beginFast<100, offsetof(THART_LOG_OpenClose, es)>(d, r);
    appendRequest(r.mode);
    Transact(d);
}

void TCOMEngine::FAST_LOG_RdStatus(TTXRXInfo& d, THART_LOG_RdStatus& r)
{
    beginFast<101>(d, r);
    Transact(d);
}

void TCOMEngine::FAST_LOG_Seek(TTXRXInfo& d, THART_LOG_Seek& r)
{
    beginFast<102, offsetof(THART_LOG_Seek, es)>(d, r);
    appendRequest(r.Whence);
    appendRequest(r.Offset, 2);
    Transact(d);
}

void TCOMEngine::FAST_LOG_RdRecord(TTXRXInfo& d, THART_LOG_RdRecord& r)
{
    beginFast<103, offsetof(THART_LOG_RdRecord, lstat)>(d, r);
    appendRequest(r.mode);
    Transact(d);
}

void TCOMEngine::FAST_LOG_Clr(TTXRXInfo& d, THART_LOG_RdStatus& r)
{
    beginFast<104>(d, r);
    Transact(d);
}

void TCOMEngine::FAST_LOG_RdLFData(TTXRXInfo& d, THART_LOG_RdLFData& r)
{
    beginFast<105>(d, r);
    Transact(d);
}

void TCOMEngine::FAST_LOG_RdPage(TTXRXInfo& d, TFAST_LOG_RdPage& r)
{
    beginFast<106, offsetof(TFAST_LOG_RdPage, es)>(d, r);
    appendRequest(r.wrpageindex, 2);
    Transact(d);
}

} // namespace quentry
