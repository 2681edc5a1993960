#include "fakeserialport.h"

#include <QTimer>
#include <cstring>

namespace quentry::test {

TFakeSerialPort::TFakeSerialPort() { FClock.start(); }

void TFakeSerialPort::record(Kind k, QByteArray bytes, bool on)
{
    FEvents.push_back(Event{k, FClock.elapsed(), std::move(bytes), on, Settings()});
}

std::vector<TFakeSerialPort::Event> TFakeSerialPort::writes() const
{
    std::vector<Event> out;
    for (const Event& e : FEvents)
        if (e.kind == Kind::Write) out.push_back(e);
    return out;
}

bool TFakeSerialPort::Open()
{
    if (FFailOpen) {
        setErrorString(FFailText);
        setOpenFailure(FFailWhy);
        return false;
    }
    setOpenFailure(TPortOpenFailure::None);
    FOpen = true;
    record(Kind::Open);
    notifyAfterOpen();
    return true;
}

void TFakeSerialPort::Close()
{
    if (!FOpen) return;
    FOpen = false;
    ++FGeneration;
    FInput.clear();
    record(Kind::Close);
    notifyAfterClose();
}

bool TFakeSerialPort::Write(const quint8* buffer, int count)
{
    if (!FOpen || FFailWrite) {
        setErrorString(QStringLiteral("write refused"));
        return false;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(buffer), count);
    record(Kind::Write, bytes);
    int delay = FTxEmptyDelay;
    if (delay == kLineTime) {
        const TSerialSettings& s = Settings();
        delay = int((qint64(count) * s.bitsPerByte() * 1000 + s.baudRate - 1) / qMax(1, s.baudRate));
    }
    if (delay >= 0) {
        const quint64 gen = FGeneration;
        QTimer::singleShot(delay, Qt::PreciseTimer, this, [this, gen] {
            if (gen == FGeneration && FOpen) notifyTxEmpty();
        });
    }
    if (responder) responder(*this, bytes);
    return true;
}

void TFakeSerialPort::deliver(const QByteArray& bytes, int afterMs)
{
    const quint64 gen = FGeneration;
    QTimer::singleShot(qMax(0, afterMs), Qt::PreciseTimer, this, [this, gen, bytes] {
        if (gen != FGeneration || !FOpen) return;
        FInput.append(bytes);
        notifyRxChar(int(FInput.size()));
    });
}

int TFakeSerialPort::Read(quint8* buffer, int count)
{
    const int n = qMin(count, int(FInput.size()));
    std::memcpy(buffer, FInput.constData(), size_t(n));
    FInput.remove(0, n);
    return n;
}

void TFakeSerialPort::ClearBuffer(bool input, bool /*output*/)
{
    record(Kind::Purge);
    if (input) FInput.clear();
}

void TFakeSerialPort::SetDTR(bool on) { record(Kind::DTR, {}, on); }
void TFakeSerialPort::SetRTS(bool on) { record(Kind::RTS, {}, on); }
void TFakeSerialPort::AbortAllAsync() { record(Kind::Abort); }

void TFakeSerialPort::unplug()
{
    notifyError(le_IO);
    Close();
}

} // namespace quentry::test
