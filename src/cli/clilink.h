#pragma once
// The communication stack of one quentry-cli run: settings, port, engine, device object,
// logger reader, parameter access, logger settings and detection, and with --demo a
// virtual transmitter inside the process. Torn down in the reverse order.
#include "clioptions.h"
#include "detection.h"
#include "historytypes.h"
#include "deviceaccess.h"
#include "loggerengine.h"
#include "loggersettings.h"
#include "terminalfeedback.h"

#include <QFile>
#include <memory>

namespace quentry::emulator {
class TVirtualTransmitter;
}

namespace quentry::cli {

class TCliLink
{
public:
    TCliLink(const TCommonOptions& options, TTerminalFeedback& feedback);
    ~TCliLink();

    // Settings (file, then options), the virtual transmitter with --demo, the port.
    bool open(QString& error);
    // The detection sequence of the Detect button; the reason in error when it fails.
    bool detect(QString& error);

    QString portName() const { return FPortName; }
    QString protocolName() const;
    QString adapterName() const;
    // "the device at polling address N (manufacturer .., device type .., device id ..)".
    QString identityText() const;
    // The transmitter's key for the site history: known once HART detection identified it
    // (or from the demo's own transmitter); FAST never tells it.
    std::optional<TDeviceKey> deviceKey() const;
    bool demo() const { return bool(FDemo); }
    const TCommonOptions& options() const { return FOptions; }

    TCOMEngine engine;
    TOstraDevice device;
    TLOGGEREngine reader;
    TDeviceAccess access;
    TLoggerSettings settings;
    TDetection detection;

private:
    void writeLog(const QString& cls, const QString& text, const QDateTime& when);

    const TCommonOptions& FOptions;
    TTerminalFeedback& FFeedback;
    std::unique_ptr<emulator::TVirtualTransmitter> FDemo;
    QFile FLog;
    QString FPortName;
    int FAdapterCode = 0;
};

} // namespace quentry::cli
