// The FAST commands of TCOMEngine. They reuse the HART raw records; FAST records are never
// cleared first, so a caller looks at FrameError before using one.
#include "comengine.h"

#include <cstddef>

namespace quentry {

int TCOMEngine::FastReplyDataSize(quint8 cmd)
{
    switch (cmd) {
    case 0: return 45;
    case 1: return 4;
    case 2: return 4;
    case 3: case 4: return 11;
    case 5: case 6: case 7: return 16;
    case 8: case 9: return 13;
    case 10: return 4;
    case 11: return 3;
    case 12: return 4;
    case 100: case 101: case 102: case 104: return 9;
    case 103: return 49;
    case 105: return 23;
    case 106: return 270;
    default: return -1;
    }
}

void TCOMEngine::FAST_RDMEAS(TTXRXInfo& d, TFAST_RDMEAS& r)
{
    beginFast(d, 0, r);
    Transact(d);
}

void TCOMEngine::FAST_RESET(TTXRXInfo& d, THART_ERRSTAT& r)
{
    beginFast(d, 1, r);
    Transact(d);
}

void TCOMEngine::FAST_ENTEREXIT(TTXRXInfo& d, THART_EnterExit& r)
{
    beginFast(d, 2, r, offsetof(THART_EnterExit, es));
    appendRequest(r.upsw, 2);
    appendRequest(r.mode);
    Transact(d);
}

void TCOMEngine::FAST_RDPTAB(TTXRXInfo& d, THART_RdWrParam& r)
{
    beginFast(d, 3, r);
    appendRequest(r.pnum);
    Transact(d);
}

void TCOMEngine::FAST_WRPTAB(TTXRXInfo& d, THART_RdWrParam& r)
{
    beginFast(d, 4, r);
    appendRequest(r.pnum);
    appendRequest(r.value, 4);
    Transact(d);
}

void TCOMEngine::FAST_RDLINTAB(TTXRXInfo& d, THART_RdWrLinItem& r)
{
    beginFast(d, 5, r);
    appendRequest(r.index);
    Transact(d);
}

void TCOMEngine::FAST_WRLINTAB(TTXRXInfo& d, THART_RdWrLinItem& r)
{
    beginFast(d, 6, r);
    appendRequest(r.index);
    appendRequest(r.level, 4);
    appendRequest(r.primary, 4);
    Transact(d);
}

void TCOMEngine::FAST_RDECHOMAP(TTXRXInfo& d, THART_RdEMapItem& r)
{
    beginFast(d, 7, r);
    appendRequest(r.index);
    Transact(d);
}

void TCOMEngine::FAST_CLRTOT1(TTXRXInfo& d, THART_ClrTOT1& r)
{
    beginFast(d, 8, r);
    Transact(d);
}

void TCOMEngine::FAST_CLRTOT2(TTXRXInfo& d, THART_ClrTOT2& r)
{
    beginFast(d, 9, r, offsetof(THART_ClrTOT2, es));
    appendRequest(r.fpsw, 2);
    Transact(d);
}

void TCOMEngine::FAST_LDDEFAULT(TTXRXInfo& d, THART_LdDefault& r)
{
    beginFast(d, 10, r, offsetof(THART_LdDefault, es));
    appendRequest(r.mode);
    Transact(d);
}

void TCOMEngine::FAST_WRVOSASSNUM(TTXRXInfo& d, THART_RdWrVosFinalAssNum& r)
{
    beginFast(d, 11, r, offsetof(THART_RdWrVosFinalAssNum, AssNum));
    appendRequest(r.psw, 2);
    appendRequest(r.AssNum, 3);
    Transact(d);
}

void TCOMEngine::FAST_WrUPSW(TTXRXInfo& d, THART_WrUPSW& r)
{
    beginFast(d, 12, r, offsetof(THART_WrUPSW, es));
    appendRequest(r.upsw, 2);
    Transact(d);
}

void TCOMEngine::FAST_LOG_OpenClose(TTXRXInfo& d, THART_LOG_OpenClose& r)
{
    beginFast(d, 100, r, offsetof(THART_LOG_OpenClose, es));
    appendRequest(r.mode);
    Transact(d);
}

void TCOMEngine::FAST_LOG_RdStatus(TTXRXInfo& d, THART_LOG_RdStatus& r)
{
    beginFast(d, 101, r);
    Transact(d);
}

void TCOMEngine::FAST_LOG_Seek(TTXRXInfo& d, THART_LOG_Seek& r)
{
    beginFast(d, 102, r, offsetof(THART_LOG_Seek, es));
    appendRequest(r.Whence);
    appendRequest(r.Offset, 2);
    Transact(d);
}

void TCOMEngine::FAST_LOG_RdRecord(TTXRXInfo& d, THART_LOG_RdRecord& r)
{
    beginFast(d, 103, r, offsetof(THART_LOG_RdRecord, lstat));
    appendRequest(r.mode);
    Transact(d);
}

void TCOMEngine::FAST_LOG_Clr(TTXRXInfo& d, THART_LOG_RdStatus& r)
{
    beginFast(d, 104, r);
    Transact(d);
}

void TCOMEngine::FAST_LOG_RdLFData(TTXRXInfo& d, THART_LOG_RdLFData& r)
{
    beginFast(d, 105, r);
    Transact(d);
}

void TCOMEngine::FAST_LOG_RdPage(TTXRXInfo& d, TFAST_LOG_RdPage& r)
{
    beginFast(d, 106, r, offsetof(TFAST_LOG_RdPage, es));
    appendRequest(r.wrpageindex, 2);
    Transact(d);
}

} // namespace quentry
