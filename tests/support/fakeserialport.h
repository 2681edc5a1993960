#pragma once
// A scripted serial port for unit tests: records every write and line change with its
// time, answers through a responder, and delivers notifications on the event loop the
// way a real port does.
#include "serialport.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <vector>

namespace quentry::test {

class TFakeSerialPort final : public QObject, public TSerialPort
{
    Q_OBJECT
public:
    enum class Kind { Open, Close, Write, DTR, RTS, Purge, Abort };
    struct Event
    {
        Kind kind;
        qint64 atMs;
        QByteArray bytes; // Write
        bool on = false;  // DTR, RTS
        TSerialSettings settings; // settings at the time of the event
    };

    TFakeSerialPort();

    // Called for every write; the responder usually answers with deliver().
    std::function<void(TFakeSerialPort& port, const QByteArray& written)> responder;
    // Bytes arrive after `afterMs` as one received-data notification.
    void deliver(const QByteArray& bytes, int afterMs = 0);
    // Transmit-empty after the frame's line time (default), a fixed delay, or never (< 0).
    void setTxEmptyDelay(int ms) { FTxEmptyDelay = ms; }
    void useLineTimeForTxEmpty() { FTxEmptyDelay = kLineTime; }
    // Open refuses, as a port that is missing (the default), refused or held elsewhere would.
    void setFailOpen(bool fail, TPortOpenFailure why = TPortOpenFailure::NotPresent,
                     const QString& systemText = QStringLiteral("No such file or directory"))
    {
        FFailOpen = fail;
        FFailWhy = why;
        FFailText = systemText;
    }
    void setFailWrite(bool fail) { FFailWrite = fail; }
    // The line disappears (cable pulled): error notification, then closed.
    void unplug();

    const std::vector<Event>& events() const { return FEvents; }
    std::vector<Event> writes() const;
    void clearEvents() { FEvents.clear(); }
    qint64 nowMs() const { return FClock.elapsed(); }

    bool Open() override;
    void Close() override;
    bool Connected() const override { return FOpen; }
    bool Write(const quint8* buffer, int count) override;
    int Read(quint8* buffer, int count) override;
    void ClearBuffer(bool input, bool output) override;
    void SetDTR(bool on) override;
    void SetRTS(bool on) override;
    void AbortAllAsync() override;

protected:
    void ApplySettings() override {}

private:
    static constexpr int kLineTime = -1000;
    void record(Kind k, QByteArray bytes = {}, bool on = false);

    QElapsedTimer FClock;
    std::vector<Event> FEvents;
    QByteArray FInput;
    bool FOpen = false;
    bool FFailOpen = false;
    TPortOpenFailure FFailWhy = TPortOpenFailure::NotPresent;
    QString FFailText;
    bool FFailWrite = false;
    int FTxEmptyDelay = kLineTime;
    quint64 FGeneration = 0; // purge/close invalidates deliveries already scheduled
};

} // namespace quentry::test
