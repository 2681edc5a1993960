#include "transmitterworker.h"

#include "ptyline.h"
#include "virtualtransmitter.h"

#include <QMutexLocker>
#include <cmath>

namespace quentry::emulator {
namespace {

// Bytes left over after this much quiet cannot belong to a request still arriving.
constexpr int kIdleFlushMs = 50;
constexpr int kReadLimit = 65536;

} // namespace

TTransmitterWorker::TTransmitterWorker(TVirtualTransmitter& owner, TPtyLine& line, const TEmulatorConfig& config)
    : FOwner(owner), FLine(line), FConfig(config)
{
}

void TTransmitterWorker::begin()
{
    FClock.start();
    FNotifier = std::make_unique<QSocketNotifier>(FLine.masterFd(), QSocketNotifier::Read);
    connect(FNotifier.get(), &QSocketNotifier::activated, this, &TTransmitterWorker::onReadable);
    auto makeTimer = [this](void (TTransmitterWorker::*slot)()) {
        auto t = std::make_unique<QTimer>();
        t->setSingleShot(true);
        t->setTimerType(Qt::PreciseTimer);
        connect(t.get(), &QTimer::timeout, this, slot);
        return t;
    };
    FTxTimer = makeTimer(&TTransmitterWorker::onTxTimer);
    FIdleTimer = makeTimer(&TTransmitterWorker::onIdle);
}

void TTransmitterWorker::end()
{
    FNotifier.reset();
    FTxTimer.reset();
    FIdleTimer.reset();
    FScheduler.clear();
}

TLineTiming TTransmitterWorker::timingFor(const TLineSettings& line, int framingBits) const
{
    TLineTiming t;
    t.pace = FConfig.pace;
    if (FConfig.pace) {
        // Settings unreadable: assume the rate of the protocol.
        const int baud = line.known ? line.baud : (framingBits == 11 ? 1200 : 57600);
        t.byteUs = framingBits * 1e6 / baud;
    }
    t.chunkBytes = FConfig.chunkBytes;
    t.chunkGapUs = qint64(FConfig.chunkGapMs) * 1000;
    return t;
}

void TTransmitterWorker::onReadable()
{
    const QByteArray data = FLine.readAvailable(kReadLimit);
    if (data.isEmpty()) return;
    const qint64 now = nowUs();
    const TLineSettings line = FLine.settings();
    std::vector<TLineAction> actions;
    bool pending = false;
    int framingBits = 10;
    {
        QMutexLocker lock(&FOwner.FMutex);
        framingBits = FOwner.FLogic->framingBits(line);
        actions = FOwner.FLogic->receive(reinterpret_cast<const quint8*>(data.constData()), int(data.size()), line);
        pending = FOwner.FLogic->hasPendingInput();
    }
    FTiming = timingFor(line, framingBits);
    FScheduler.noteReceived(now, int(data.size()), FTiming.byteUs);
    take(actions, now, true);
    if (FUnplugged) return;
    if (pending) FIdleTimer->start(kIdleFlushMs);
    else FIdleTimer->stop();
}

void TTransmitterWorker::onIdle()
{
    std::vector<TLineAction> actions;
    {
        QMutexLocker lock(&FOwner.FMutex);
        actions = FOwner.FLogic->idle();
    }
    take(actions, nowUs(), false);
}

void TTransmitterWorker::take(const std::vector<TLineAction>& actions, qint64 now, bool fromChunk)
{
    for (const TLineAction& a : actions) {
        if (a.kind == TLineAction::TKind::Unplug) {
            unplug();
            return;
        }
        const qint64 received = fromChunk && a.endOffset >= 0 ? FScheduler.arrivalOf(a.endOffset) : now;
        const qint64 start = received + qint64(FConfig.turnaroundMs + a.delayMs) * 1000;
        FScheduler.enqueue(a.bytes, start, FTiming);
    }
    scheduleTx(now);
}

void TTransmitterWorker::onTxTimer()
{
    const qint64 now = nowUs();
    for (;;) {
        const QByteArray bytes = FScheduler.due(now);
        if (bytes.isEmpty()) break;
        const int n = FLine.write(bytes.constData(), int(bytes.size()));
        if (n < 0) {
            FScheduler.clear();
            return;
        }
        // The terminal's buffer is full only when nobody reads the slave side: like a line
        // nobody listens to, it loses the rest.
        FScheduler.sent(int(bytes.size()), now);
    }
    scheduleTx(now);
}

void TTransmitterWorker::scheduleTx(qint64 now)
{
    if (!FTxTimer || FUnplugged) return;
    const std::optional<qint64> next = FScheduler.nextDue();
    if (!next) {
        FTxTimer->stop();
        return;
    }
    const qint64 waitUs = qMax<qint64>(0, *next - now);
    FTxTimer->start(int((waitUs + 999) / 1000));
}

void TTransmitterWorker::unplug()
{
    // Called from inside a notifier's or timer's handler: switch them off, delete them in end().
    FNotifier->setEnabled(false);
    FTxTimer->stop();
    FIdleTimer->stop();
    FScheduler.clear();
    FUnplugged = true;
    FLine.close();
    FOwner.unplugged();
}

} // namespace quentry::emulator
