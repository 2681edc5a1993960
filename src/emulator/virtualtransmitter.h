#pragma once
// TVirtualTransmitter: a transmitter on a pseudo-terminal, for work without hardware.
// start() opens the pty and serves it on a thread of its own, so the service tool, the
// command-line tool or a test can run it in-process and open the returned slave path as
// its serial port. Everything it holds can be read at any time from any thread.
//
//     TEmulatorConfig c;            // HART at polling address 0, a full logger
//     TVirtualTransmitter vt(c);
//     const QString port = vt.start();   // e.g. /dev/pts/7; empty on failure (errorString())
//     ... engine.OpenComByName(port) ...
//     vt.stop();
#include "emulatorconfig.h"
#include "transmitterlogic.h"

#include <QDateTime>
#include <QMutex>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QThread;

namespace quentry::emulator {

class TTransmitterWorker;
class TPtyLine;

struct TLoggerState
{
    int pages = 0, page = 0, rowsOnPage = 0, total = 0, position = 0;
    bool wrapped = false, open = false;
};

class TVirtualTransmitter
{
public:
    explicit TVirtualTransmitter(const TEmulatorConfig& config);
    ~TVirtualTransmitter();
    TVirtualTransmitter(const TVirtualTransmitter&) = delete;
    TVirtualTransmitter& operator=(const TVirtualTransmitter&) = delete;

    // Needs a QCoreApplication. Returns the slave path, or empty (see errorString()).
    QString start();
    void stop();
    bool running() const;
    // False once an unplug fault has closed the line.
    bool lineOpen() const;
    QString slavePath() const { return FSlavePath; }
    QString errorString() const { return FError; }
    // Called on the transmitter's thread when an unplug fault closes the line.
    void setOnUnplugged(std::function<void()> f) { FOnUnplugged = std::move(f); }

    // What it holds, read under its lock.
    std::vector<TLogRowBytes> loggerRows() const; // record byte order, oldest first
    std::vector<TLogRowBytes> loggerPage(int page) const; // page byte order
    TLoggerState loggerState() const;
    std::map<int, float> parameters() const;
    std::optional<float> parameter(int number) const;
    QDateTime clock() const;
    bool remoteMode() const;
    TEmuProtocol protocol() const;
    quint8 pollingAddress() const;
    TTransmitterStats stats() const;
    TLineSettings lineSettings() const;
    // Anything else: f runs under the lock.
    void inspect(const std::function<void(const TTransmitterLogic&)>& f) const;

    // Replaces the faults (their counts start again).
    void setFaults(const TFaultPlan& plan);

private:
    friend class TTransmitterWorker;
    void unplugged();

    TEmulatorConfig FConfig;
    mutable QMutex FMutex;
    std::unique_ptr<TTransmitterLogic> FLogic;
    std::unique_ptr<TPtyLine> FLine;
    std::unique_ptr<QThread> FThread;
    TTransmitterWorker* FWorker = nullptr;
    QString FSlavePath, FError;
    bool FLineOpen = false;
    std::function<void()> FOnUnplugged;
};

// A transmitter whose logger holds `rows` rows (in at least the usual 2048 pages), started
// on a pseudo-terminal whose path goes to port. Null, with the reason in error, when the
// configuration is refused or the line does not open.
std::unique_ptr<TVirtualTransmitter> StartWithRows(TEmulatorConfig c, int rows, QString& port, QString& error);

} // namespace quentry::emulator
