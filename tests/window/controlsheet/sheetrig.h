#pragma once
// The Logger Control Sheet with everything the main window would give it: engine, device
// object, reader, detection, store, table and a scripted message service, optionally on a
// virtual transmitter. The hooks record what the page asked of the window.
#include "comengine.h"
#include "controlsheet.h"
#include "detection.h"
#include "emulatorconfig.h"
#include "loggerengine.h"
#include "logstore.h"
#include "logtable.h"
#include "messageservice.h"

#include <QList>
#include <QStringList>
#include <memory>

class QLabel;
class QPushButton;

namespace quentry::emulator {
class TVirtualTransmitter;
}

namespace quentry::test {

class TSheetRig
{
public:
    TSheetRig();
    ~TSheetRig();

    // Starts the virtual transmitter with config, opens the port on it in the protocol it
    // speaks with the short test times, and detects it. Empty on success, else why not.
    QString connect(emulator::TEmulatorConfig config);

    QPushButton* button(const char* name) const;
    QString text(const char* label) const;
    bool enabled(const char* name) const;
    // Presses the button and returns once whatever it started has ended (bound in ms).
    bool click(const char* name, int boundMs = 120000);

    TMessageService messages;
    TCOMEngine engine;
    TOstraDevice device;
    TLOGGEREngine reader;
    TDeviceAccess access{engine, device, messages};
    TLoggerSettings settings{access};
    TDetection detection{access, settings, reader};
    TLogStore store{&messages};
    TLogTable table;
    std::unique_ptr<emulator::TVirtualTransmitter> transmitter;

    // What the hooks were told.
    bool menuEnabled = true, backEnabled = true, nextEnabled = true;
    QList<int> gauge;
    std::function<void(int)> onGauge; // called after recording, e.g. to look at the page mid-read
    QList<bool> reading;
    QStringList memo;
    QString loadedPath;
    QList<int> trendRecords;
    TControlSheetHooks hooks;

    std::unique_ptr<TLoggerControlSheet> sheet;
};

} // namespace quentry::test
