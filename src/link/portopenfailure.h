#pragma once
// Why a serial port could not be opened, and the words that tell a service engineer what
// to do about it. The port layer classifies; the window and the command-line tool say it.
#include <QString>
#include <QStringList>

namespace quentry {

class TCOMEngine;

enum class TPortOpenFailure : quint8 {
    None,       // the last open succeeded (or none was tried)
    NotPresent, // no such device
    Permission, // the device is there, but this user may not open it
    InUse,      // another program holds it
    Other,      // the system's own reason is all there is
};

// One line: "ttyUSB9 is not present; ports found: ttyUSB0, ttyS0", "... no serial ports
// found", the dialout hint for a refused permission, "... is in use by another program", or
// "<port> cannot be opened: <system text>". portsFound is sorted as text for the line.
QString PortOpenFailureText(const QString& port, TPortOpenFailure reason, const QString& systemText,
                            QStringList portsFound);

// The same for the engine's port after a failed open, with the ports the engine lists.
QString PortOpenFailureText(TCOMEngine& engine);

} // namespace quentry
