#include "deviceaccess.h"

#include "hartframe.h"
#include "waiting.h"

namespace quentry {
namespace {
const char* const kWrongParameter = "CMD error in reply\r\nPlease Detect Again!";
}

QString TRequestFailure::text() const
{
    if (command < 0) return {};
    const QString what = QStringLiteral("command %1 (%2 parameter %3)")
                             .arg(command)
                             .arg(write ? QStringLiteral("write") : QStringLiteral("read"))
                             .arg(parameter);
    if (error != FERR_HARTDEVICE) return QStringLiteral("%1 failed: %2").arg(what, FrameErrorMessage(error));
    if (command != 131 && command != 132) // FAST: the status byte says why
        return QStringLiteral("%1 was refused (status 0x%2)").arg(what).arg(apiError & 0xFF, 2, 16, QLatin1Char('0'));
    THART_RESPONSE_STR texts;
    HartDecodeResponse(apiError, texts);
    QString reason = texts.FirstByte;
    reason.remove(QStringLiteral("Response Code: "));
    return QStringLiteral("%1 was refused: response code %2%3")
        .arg(what)
        .arg(apiError >> 8 & 0x7F)
        .arg(reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason));
}

void TDeviceAccess::noteFailure(bool write, quint8 number, TFrameError e, const TTXRXInfo& d)
{
    const bool fast = FEngine.Protokoll() == prt_MODE3;
    LastFailure.command = fast ? (write ? 4 : 3) : (write ? 132 : 131);
    LastFailure.write = write;
    LastFailure.parameter = number;
    LastFailure.error = e;
    LastFailure.apiError = d.ApiError;
}

bool TDeviceAccess::ReadParam(quint8 Number, float& Value)
{
    THART_PAS_RdWrParam p;
    p.pnum = Number;
    TTXRXInfo d = addressing();
    if (const TFrameError e = FDevice.RdParam(d, p); e != FRERR_OK) {
        noteFailure(false, Number, e, d);
        return false;
    }
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
    if (const TFrameError e = FDevice.WrParam(d, p); e != FRERR_OK) {
        noteFailure(true, Number, e, d);
        return false;
    }
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
