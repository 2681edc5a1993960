#include "portopenfailure.h"

#include "comengine.h"

namespace quentry {

QString PortOpenFailureText(const QString& port, TPortOpenFailure reason, const QString& systemText,
                            QStringList portsFound)
{
    switch (reason) {
    case TPortOpenFailure::NotPresent:
        portsFound.sort(Qt::CaseSensitive);
        if (portsFound.isEmpty()) return QStringLiteral("%1 is not present; no serial ports found").arg(port);
        return QStringLiteral("%1 is not present; ports found: %2")
            .arg(port, portsFound.join(QStringLiteral(", ")));
    case TPortOpenFailure::Permission:
        return QStringLiteral("%1 may not be opened by this user: add yourself to the dialout group "
                              "(sudo adduser $USER dialout) and log in again")
            .arg(port);
    case TPortOpenFailure::InUse: return QStringLiteral("%1 is in use by another program").arg(port);
    case TPortOpenFailure::None:
    case TPortOpenFailure::Other: break;
    }
    const QString why = systemText.trimmed();
    return why.isEmpty() ? QStringLiteral("%1 cannot be opened").arg(port)
                         : QStringLiteral("%1 cannot be opened: %2").arg(port, why);
}

QString PortOpenFailureText(TCOMEngine& engine)
{
    QStringList ports;
    TSerialPort& port = engine.ComPort();
    // Listing the ports costs a look through the system's devices: only when it is said.
    if (port.OpenFailure() == TPortOpenFailure::NotPresent) TCOMEngine::GetComPortList(ports);
    return PortOpenFailureText(port.PortName(), port.OpenFailure(), port.ErrorString(), ports);
}

} // namespace quentry
