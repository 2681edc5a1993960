#include "qtserialport.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif

namespace quentry {
namespace {

// After the modelled line time, the driver may still hold bytes (a slow USB bridge);
// keep checking for at most kTxDrainGraceMs before reporting the line empty anyway.
constexpr int kDrainGraceMs = kTxDrainGraceMs;

QSerialPort::Parity toQt(TParity p)
{
    switch (p) {
    case TParity::Odd: return QSerialPort::OddParity;
    case TParity::Even: return QSerialPort::EvenParity;
    case TParity::None: break;
    }
    return QSerialPort::NoParity;
}

// Why QSerialPort refused to open a port. Its PermissionError stands for a refused
// permission, a device another program holds (EBUSY, a lock file) and, on Windows, a port
// that is open elsewhere; on Unix the device node itself tells the first from the others.
TPortOpenFailure ClassifyOpenError(QSerialPort::SerialPortError error, const QString& portName)
{
#ifdef Q_OS_UNIX
    // The device node as QSerialPort opens it: a path as given, a bare name under /dev.
    const bool path = portName.startsWith(QLatin1Char('/')) || portName.startsWith(QLatin1String("./")) ||
                      portName.startsWith(QLatin1String("../"));
    const QByteArray node = (path ? portName : QStringLiteral("/dev/") + portName).toLocal8Bit();
    if (::access(node.constData(), F_OK) != 0 && errno == ENOENT) return TPortOpenFailure::NotPresent;
    if (::access(node.constData(), R_OK | W_OK) != 0 && errno == EACCES) return TPortOpenFailure::Permission;
#else
    Q_UNUSED(portName);
#endif
    switch (error) {
    case QSerialPort::DeviceNotFoundError: return TPortOpenFailure::NotPresent;
    case QSerialPort::PermissionError: return TPortOpenFailure::InUse;
    default: return TPortOpenFailure::Other;
    }
}

} // namespace

TQtSerialPort::TQtSerialPort(QObject* parent) : QObject(parent)
{
    FDrainTimer.setSingleShot(true);
    FDrainTimer.setTimerType(Qt::PreciseTimer);
    connect(&FDrainTimer, &QTimer::timeout, this, &TQtSerialPort::onDrainCheck);
    connect(&FPort, &QSerialPort::readyRead, this, &TQtSerialPort::onReadyRead);
    connect(&FPort, &QSerialPort::errorOccurred, this, &TQtSerialPort::onErrorOccurred);
}

TQtSerialPort::~TQtSerialPort()
{
    DetachHandlers();
    if (FPort.isOpen()) FPort.close();
}

bool TQtSerialPort::Open()
{
    if (FPort.isOpen()) return true;
    // Ports are named as the system lists them (ttyUSB0, COM3); a path names a device node.
    FPort.setPortName(Settings().portName);
    // A refused open is this call's result, not a line error of an open port.
    FOpening = true;
    const bool opened = FPort.open(QIODevice::ReadWrite);
    FOpening = false;
    if (!opened) {
        setErrorString(FPort.errorString());
        setOpenFailure(ClassifyOpenError(FPort.error(), Settings().portName));
        FPort.clearError();
        return false;
    }
    setErrorString({});
    setOpenFailure(TPortOpenFailure::None);
    ApplySettings();
    FHasCounters = readLineCounters(FCounters);
    notifyAfterOpen();
    return true;
}

void TQtSerialPort::Close()
{
    if (!FPort.isOpen()) return;
    cancelDrain();
    FPort.close();
    notifyAfterClose();
}

bool TQtSerialPort::Connected() const { return FPort.isOpen(); }

void TQtSerialPort::ApplySettings()
{
    const TSerialSettings& s = Settings();
    FPort.setBaudRate(s.baudRate);
    FPort.setDataBits(QSerialPort::DataBits(s.dataBits));
    FPort.setParity(toQt(s.parity));
    FPort.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    if (s.outCtsFlow)
        FPort.setFlowControl(QSerialPort::HardwareControl);
    else if (s.xonXoffIn || s.xonXoffOut)
        FPort.setFlowControl(QSerialPort::SoftwareControl);
    else
        FPort.setFlowControl(QSerialPort::NoFlowControl);
    FPort.setReadBufferSize(s.inputBufferSize);
    if (s.dtrControl == TLineControl::Enabled) SetDTR(true);
    if (s.rtsControl == TLineControl::Enabled) SetRTS(true);
    FPort.clearError();
}

bool TQtSerialPort::Write(const quint8* buffer, int count)
{
    if (!FPort.isOpen()) return false;
    const qint64 n = FPort.write(reinterpret_cast<const char*>(buffer), count);
    if (n != count) {
        setErrorString(FPort.errorString());
        return false;
    }
    // The line is busy for the frame's bits at the current rate; report empty after that.
    if (!FDrainPending) FDrainGiveUp = QDeadlineTimer(lineTimeUs(count) / 1000 + kDrainGraceMs);
    scheduleDrainCheck(lineTimeUs(count) + (FDrainPending ? FDrainTimer.remainingTime() * 1000 : 0));
    FDrainPending = true;
    return true;
}

int TQtSerialPort::Read(quint8* buffer, int count)
{
    if (!FPort.isOpen() || count <= 0) return 0;
    const qint64 n = FPort.read(reinterpret_cast<char*>(buffer), count);
    return n < 0 ? 0 : int(n);
}

void TQtSerialPort::ClearBuffer(bool input, bool output)
{
    if (!FPort.isOpen()) return;
    QSerialPort::Directions d;
    if (input) d |= QSerialPort::Input;
    if (output) {
        d |= QSerialPort::Output;
        cancelDrain();
    }
    if (input && FPort.bytesAvailable() > 0) FPort.readAll();
    FPort.clear(d);
    FPort.clearError();
}

void TQtSerialPort::SetDTR(bool on)
{
    // A pseudo-terminal has no modem lines; the call is tolerated.
    if (FPort.isOpen() && !FPort.setDataTerminalReady(on)) FPort.clearError();
}

void TQtSerialPort::SetRTS(bool on)
{
    if (FPort.isOpen() && !FPort.setRequestToSend(on)) FPort.clearError();
}

void TQtSerialPort::AbortAllAsync() { cancelDrain(); }

bool TQtSerialPort::readLineCounters(TLineCounters& c) const
{
#if defined(Q_OS_LINUX) && defined(TIOCGICOUNT)
    // QSerialPort reports no parity, framing, overrun or break errors; the driver counts them.
    serial_icounter_struct ic{};
    if (!FPort.isOpen() || ::ioctl(int(FPort.handle()), TIOCGICOUNT, &ic) != 0) return false;
    c.frame = quint32(ic.frame);
    c.parity = quint32(ic.parity);
    c.overrun = quint32(ic.overrun);
    c.brk = quint32(ic.brk);
    c.bufOverrun = quint32(ic.buf_overrun);
    return true;
#else
    Q_UNUSED(c);
    return false;
#endif
}

void TQtSerialPort::checkLineCounters()
{
    // A port without counters (a pseudo-terminal) reports nothing rather than a guess.
    if (!FHasCounters) return;
    TLineCounters now;
    if (!readLineCounters(now)) return;
    const TLineErrors e = LineErrorsBetween(FCounters, now);
    FCounters = now;
    if (e) notifyError(e);
}

void TQtSerialPort::onReadyRead()
{
    checkLineCounters();
    const qint64 n = FPort.bytesAvailable();
    if (n > 0) notifyRxChar(int(qMin<qint64>(n, 1 << 30)));
}

void TQtSerialPort::onErrorOccurred(QSerialPort::SerialPortError error)
{
    if (FOpening) return;
    TLineErrors flags = 0;
    switch (error) {
    case QSerialPort::NoError: return;
    case QSerialPort::WriteError:
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError: flags = le_IO; break;
    case QSerialPort::UnsupportedOperationError: FPort.clearError(); return; // DTR/RTS on a pty
    case QSerialPort::TimeoutError: FPort.clearError(); return;
    default: flags = le_Mode; break;
    }
    setErrorString(FPort.errorString());
    FPort.clearError();
    notifyError(flags);
    // A read or write that fails on a serial device means the device is gone (a pulled
    // adapter, the far end of a pseudo-terminal closed): every later poll fails the same
    // way, thousands of times a second. Close at the first one, so it is reported once and
    // whatever waits on the line learns at once that nothing more will come.
    if (flags == le_IO) Close();
}

qint64 TQtSerialPort::lineTimeUs(qint64 bytes) const
{
    const TSerialSettings& s = Settings();
    const qint64 baud = qMax<qint64>(1, s.baudRate);
    return (bytes * s.bitsPerByte() * 1000000 + baud - 1) / baud;
}

qint64 TQtSerialPort::kernelOutputQueue() const
{
#if defined(Q_OS_UNIX) && defined(TIOCOUTQ)
    int queued = 0;
    if (FPort.isOpen() && ::ioctl(int(FPort.handle()), TIOCOUTQ, &queued) == 0) return queued;
#endif
    return 0;
}

void TQtSerialPort::scheduleDrainCheck(qint64 fromNowUs)
{
    FDrainTimer.start(int(qMax<qint64>(1, (fromNowUs + 999) / 1000)));
}

void TQtSerialPort::onDrainCheck()
{
    if (!FDrainPending) return;
    const qint64 waiting = FPort.bytesToWrite() + kernelOutputQueue();
    if (waiting > 0 && FPort.isOpen() && !FDrainGiveUp.hasExpired()) {
        scheduleDrainCheck(lineTimeUs(waiting));
        return;
    }
    FDrainPending = false;
    notifyTxEmpty();
}

void TQtSerialPort::cancelDrain()
{
    FDrainPending = false;
    FDrainTimer.stop();
}

} // namespace quentry
