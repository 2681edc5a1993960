#pragma once
// TSerialPort on QSerialPort: notifications arrive on the thread that owns the object.
#include "serialport.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QSerialPort>
#include <QTimer>

namespace quentry {

class TQtSerialPort final : public QObject, public TSerialPort
{
    Q_OBJECT
public:
    explicit TQtSerialPort(QObject* parent = nullptr);
    ~TQtSerialPort() override;

    bool Open() override;
    void Close() override;
    bool Connected() const override;
    bool Write(const quint8* buffer, int count) override;
    int Read(quint8* buffer, int count) override;
    void ClearBuffer(bool input, bool output) override;
    void SetDTR(bool on) override;
    void SetRTS(bool on) override;
    void AbortAllAsync() override;

protected:
    void ApplySettings() override;

private:
    void onReadyRead();
    void onErrorOccurred(QSerialPort::SerialPortError error);
    void scheduleDrainCheck(qint64 fromNowUs);
    void onDrainCheck();
    qint64 lineTimeUs(qint64 bytes) const;
    qint64 kernelOutputQueue() const;
    void cancelDrain();
    bool readLineCounters(TLineCounters& c) const;
    void checkLineCounters();

    QSerialPort FPort;
    QTimer FDrainTimer;
    QDeadlineTimer FDrainGiveUp;
    bool FDrainPending = false;
    bool FOpening = false;
    bool FHasCounters = false;
    TLineCounters FCounters;
};

} // namespace quentry
