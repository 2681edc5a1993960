#include "deviceaccess.h"

#include "waiting.h"

namespace quentry {
namespace {
const char* const kWrongParameter = "CMD error in reply\r\nPlease Detect Again!";
}

bool TDeviceAccess::ReadParam(quint8 Number, float& Value)
{
    THART_PAS_RdWrParam p;
    p.pnum = Number;
    TTXRXInfo d = addressing();
    if (FDevice.RdParam(d, p) != FRERR_OK) return false;
    if (p.pnum != Number) {
        FFeedback.showError(QString::fromLatin1(kWrongParameter));
        return false;
    }
    Value = p.value;
    return true;
}

bool TDeviceAccess::WriteParam(quint8 Number, float& Value)
{
    THART_PAS_RdWrParam p;
    p.pnum = Number;
    p.value = Value;
    TTXRXInfo d = addressing();
    if (FDevice.WrParam(d, p) != FRERR_OK) return false;
    if (p.pnum != Number) {
        FFeedback.showError(QString::fromLatin1(kWrongParameter));
        return false;
    }
    Value = p.value;
    return true;
}

bool TDeviceAccess::enterExit(quint8 mode)
{
    THART_PAS_EnterExit e;
    e.upsw = RemoteUserCode;
    e.mode = mode;
    TTXRXInfo d = addressing();
    return FDevice.EnterExit(d, e) == FRERR_OK;
}

bool TDeviceAccess::EnterRemoteMode() { return enterExit(1); }

bool TDeviceAccess::ExitRemoteMode()
{
    if (!enterExit(0)) return false;
    WaitMs(2000);
    return true;
}

bool TDeviceAccess::EscapeRemoteMenu()
{
    if (!enterExit(2)) return false;
    WaitMs(500);
    return true;
}

void TDeviceAccess::WaitMs(int milliseconds) { WaitFor(milliseconds); }

} // namespace quentry
