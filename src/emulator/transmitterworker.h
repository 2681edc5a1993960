#pragma once
// The part of TVirtualTransmitter that lives on its thread: it watches the pty master,
// hands what arrives to the transmitter logic and writes the replies when they are due.
#include "linescheduler.h"
#include "transmitterlogic.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

namespace quentry::emulator {

class TPtyLine;
class TVirtualTransmitter;

class TTransmitterWorker final : public QObject
{
    Q_OBJECT
public:
    TTransmitterWorker(TVirtualTransmitter& owner, TPtyLine& line, const TEmulatorConfig& config);

    Q_INVOKABLE void begin();
    Q_INVOKABLE void end();

private:
    void onReadable();
    void onIdle();
    void onTxTimer();
    void take(const std::vector<TLineAction>& actions, qint64 nowUs, bool fromChunk);
    void scheduleTx(qint64 nowUs);
    void unplug();
    TLineTiming timingFor(const TLineSettings& line, int framingBits) const;
    qint64 nowUs() const { return FClock.nsecsElapsed() / 1000; }

    TVirtualTransmitter& FOwner;
    TPtyLine& FLine;
    TEmulatorConfig FConfig;
    QElapsedTimer FClock;
    std::unique_ptr<QSocketNotifier> FNotifier;
    std::unique_ptr<QTimer> FTxTimer, FIdleTimer, FRetryWrite;
    TLineScheduler FScheduler;
    TLineTiming FTiming; // of the mode the last bytes came in
    bool FUnplugged = false;
};

} // namespace quentry::emulator
