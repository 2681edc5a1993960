#pragma once
// When each reply byte goes out. A request counts as received when its last byte would
// have arrived at the line rate; its reply starts a turnaround later (plus any delay a
// fault asks for), one reply at a time on the half-duplex line, each byte at the line
// rate when pacing, in chunks with short gaps when asked.
#include <QByteArray>
#include <QtGlobal>
#include <map>
#include <optional>

namespace quentry::emulator {

struct TLineTiming
{
    bool pace = false;
    double byteUs = 0;   // time of one byte on the line; 0 without pacing
    int chunkBytes = 0;  // 0: no chunks
    qint64 chunkGapUs = 0;
};

class TLineScheduler
{
public:
    // Bytes the master wrote, read at nowUs; returns when byte `offset` of them arrived.
    void noteReceived(qint64 nowUs, int count, double byteUs);
    qint64 arrivalOf(int offset) const;

    void enqueue(QByteArray bytes, qint64 startUs, const TLineTiming& timing);
    // The bytes of the reply on the line that are due by nowUs (empty when none)...
    QByteArray due(qint64 nowUs);
    // ... and how many of them the line took.
    void sent(int count, qint64 nowUs);
    // When the next bytes are due; nullopt when nothing is left to send.
    std::optional<qint64> nextDue() const;
    void clear();
    bool idle() const { return !FActive && FWaiting.empty(); }

private:
    struct TReply
    {
        QByteArray bytes;
        qint64 startUs = 0;
        TLineTiming timing;
        int sent = 0;
    };
    qint64 dueTime(const TReply& r, int i) const;
    void activate();

    qint64 FRxChunkStart = 0;
    double FRxByteUs = 0;
    qint64 FRxFreeAt = 0;
    qint64 FTxFreeAt = 0;
    std::multimap<qint64, TReply> FWaiting;
    std::optional<TReply> FActive;
};

} // namespace quentry::emulator
