#pragma once
// quentry --demo: a virtual transmitter on a pseudo-terminal inside this process, and a
// private settings file in a temporary directory that points the window at it and at a
// site history of its own. The user's own settings file and history are neither read nor
// written.
#include "settingsfile.h"

#include <QTemporaryDir>
#include <memory>

namespace quentry::emulator {
class TVirtualTransmitter;
}

namespace quentry {

class TDemoLink
{
public:
    // Rows in the virtual transmitter's logger: over HART one row takes about 50 ms, so
    // "Start Reading" runs about half a minute, long enough to watch the estimate.
    static constexpr int kDemoRows = 600;
    // The virtual transmitter answers at once; a short byte gap keeps the demo brisk.
    static constexpr int kDemoCycleMs = 20;

    TDemoLink();
    ~TDemoLink();

    // Starts the transmitter and writes the settings file; false with the reason in error.
    bool Start(QString& error);
    TSettingsLocation Location() const;
    // The demo's own site history, named by its settings file: the user's is never touched.
    QString HistoryPath() const;
    QString PortName() const { return FPortName; }
    emulator::TVirtualTransmitter* Transmitter() const { return FTransmitter.get(); }

private:
    std::unique_ptr<QTemporaryDir> FDir; // made by Start: a plain run creates nothing
    std::unique_ptr<emulator::TVirtualTransmitter> FTransmitter;
    QString FPortName;
};

} // namespace quentry
