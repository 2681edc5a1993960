#include "virtualtransmitter.h"

#include "ptyline.h"
#include "transmitterworker.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QThread>

namespace quentry::emulator {
namespace {

constexpr int kStopBoundMs = 5000;

} // namespace

TVirtualTransmitter::TVirtualTransmitter(const TEmulatorConfig& config) : FConfig(config)
{
    FError = FConfig.validate();
    // An unusable configuration still gives a transmitter to look at; start() refuses it.
    FLogic = std::make_unique<TTransmitterLogic>(FError.isEmpty() ? FConfig : TEmulatorConfig{});
}

TVirtualTransmitter::~TVirtualTransmitter() { stop(); }

QString TVirtualTransmitter::start()
{
    if (FThread) return FSlavePath;
    if (!FConfig.validate().isEmpty()) {
        FError = FConfig.validate();
        return {};
    }
    if (!QCoreApplication::instance()) {
        FError = QStringLiteral("the virtual transmitter needs a QCoreApplication");
        return {};
    }
    FLine = std::make_unique<TPtyLine>();
    if (!FLine->open(&FError)) {
        FLine.reset();
        return {};
    }
    FError.clear();
    FSlavePath = FLine->slavePath();
    {
        QMutexLocker lock(&FMutex);
        FLineOpen = true;
    }
    FThread = std::make_unique<QThread>();
    FThread->setObjectName(QStringLiteral("virtual transmitter"));
    FWorker = new TTransmitterWorker(*this, *FLine, FConfig);
    FWorker->moveToThread(FThread.get());
    FThread->start();
    QMetaObject::invokeMethod(FWorker, "begin", Qt::BlockingQueuedConnection);
    return FSlavePath;
}

void TVirtualTransmitter::stop()
{
    if (!FThread) return;
    QMetaObject::invokeMethod(FWorker, "end", Qt::BlockingQueuedConnection);
    FThread->quit();
    FThread->wait(kStopBoundMs);
    delete FWorker;
    FWorker = nullptr;
    FThread.reset();
    FLine.reset();
    QMutexLocker lock(&FMutex);
    FLineOpen = false;
}

bool TVirtualTransmitter::running() const { return FThread != nullptr; }

bool TVirtualTransmitter::lineOpen() const
{
    QMutexLocker lock(&FMutex);
    return FLineOpen;
}

void TVirtualTransmitter::unplugged()
{
    {
        QMutexLocker lock(&FMutex);
        FLineOpen = false;
    }
    if (FOnUnplugged) FOnUnplugged();
}

std::vector<TLogRowBytes> TVirtualTransmitter::loggerRows() const
{
    QMutexLocker lock(&FMutex);
    return FLogic->logger().rows();
}

std::vector<TLogRowBytes> TVirtualTransmitter::loggerPage(int page) const
{
    QMutexLocker lock(&FMutex);
    return FLogic->logger().pageRows(page);
}

TLoggerState TVirtualTransmitter::loggerState() const
{
    QMutexLocker lock(&FMutex);
    const TLoggerRing& l = FLogic->logger();
    return {l.pages(), l.page(), l.rowsOnPage(), l.total(), l.position(), l.wrapped(), l.isOpen()};
}

std::map<int, float> TVirtualTransmitter::parameters() const
{
    QMutexLocker lock(&FMutex);
    return FLogic->model().parameterValues();
}

std::optional<float> TVirtualTransmitter::parameter(int number) const
{
    QMutexLocker lock(&FMutex);
    if (!FLogic->model().hasParameter(number)) return std::nullopt;
    return FLogic->model().parameter(number).value;
}

QDateTime TVirtualTransmitter::clock() const
{
    QMutexLocker lock(&FMutex);
    return FLogic->model().clock();
}

bool TVirtualTransmitter::remoteMode() const
{
    QMutexLocker lock(&FMutex);
    return FLogic->model().remote();
}

TEmuProtocol TVirtualTransmitter::protocol() const
{
    QMutexLocker lock(&FMutex);
    return FLogic->protocol();
}

quint8 TVirtualTransmitter::pollingAddress() const
{
    QMutexLocker lock(&FMutex);
    return FLogic->model().pollingAddress();
}

TTransmitterStats TVirtualTransmitter::stats() const
{
    QMutexLocker lock(&FMutex);
    return FLogic->stats();
}

TLineSettings TVirtualTransmitter::lineSettings() const
{
    QMutexLocker lock(&FMutex);
    return FLogic->lastLine();
}

void TVirtualTransmitter::inspect(const std::function<void(const TTransmitterLogic&)>& f) const
{
    QMutexLocker lock(&FMutex);
    f(*FLogic);
}

void TVirtualTransmitter::setFaults(const TFaultPlan& plan)
{
    QMutexLocker lock(&FMutex);
    FLogic->setFaults(plan);
}

std::unique_ptr<TVirtualTransmitter> StartWithRows(TEmulatorConfig c, int rows, QString& port, QString& error)
{
    c.rows = rows;
    c.pages = qMax(2048, (rows + 5) / 6 + 1);
    if (const QString invalid = c.validate(); !invalid.isEmpty()) {
        error = QStringLiteral("virtual transmitter: %1").arg(invalid);
        return nullptr;
    }
    auto transmitter = std::make_unique<TVirtualTransmitter>(c);
    port = transmitter->start();
    if (port.isEmpty()) {
        error = QStringLiteral("virtual transmitter could not start: %1").arg(transmitter->errorString());
        return nullptr;
    }
    return transmitter;
}

} // namespace quentry::emulator
