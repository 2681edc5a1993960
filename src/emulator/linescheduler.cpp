#include "linescheduler.h"

#include <cmath>

namespace quentry::emulator {

void TLineScheduler::noteReceived(qint64 nowUs, int count, double byteUs)
{
    FRxChunkStart = qMax(nowUs, FRxFreeAt);
    FRxByteUs = byteUs;
    FRxFreeAt = FRxChunkStart + qint64(std::llround(count * byteUs));
}

qint64 TLineScheduler::arrivalOf(int offset) const
{
    return FRxChunkStart + qint64(std::llround((offset + 1) * FRxByteUs));
}

void TLineScheduler::enqueue(QByteArray bytes, qint64 startUs, const TLineTiming& timing)
{
    if (bytes.isEmpty()) return;
    FWaiting.emplace(startUs, TReply{std::move(bytes), startUs, timing, 0});
}

qint64 TLineScheduler::dueTime(const TReply& r, int i) const
{
    qint64 t = r.startUs + qint64(std::llround((i + 1) * r.timing.byteUs));
    if (r.timing.chunkBytes > 0) t += qint64(i / r.timing.chunkBytes) * r.timing.chunkGapUs;
    return t;
}

void TLineScheduler::activate()
{
    if (FActive || FWaiting.empty()) return;
    auto it = FWaiting.begin();
    TReply r = std::move(it->second);
    FWaiting.erase(it);
    // Half duplex: a reply cannot start before the one before it has left the line.
    r.startUs = qMax(r.startUs, FTxFreeAt);
    FActive = std::move(r);
}

QByteArray TLineScheduler::due(qint64 nowUs)
{
    activate();
    if (!FActive) return {};
    const TReply& r = *FActive;
    int end = r.sent;
    while (end < r.bytes.size() && dueTime(r, end) <= nowUs) ++end;
    return r.bytes.mid(r.sent, end - r.sent);
}

void TLineScheduler::sent(int count, qint64 nowUs)
{
    if (!FActive || count <= 0) return;
    TReply& r = *FActive;
    r.sent = qMin(int(r.bytes.size()), r.sent + count);
    if (r.sent < r.bytes.size()) return;
    FTxFreeAt = qMax(nowUs, dueTime(r, int(r.bytes.size()) - 1));
    FActive.reset();
}

std::optional<qint64> TLineScheduler::nextDue() const
{
    if (FActive) return dueTime(*FActive, FActive->sent);
    if (FWaiting.empty()) return std::nullopt;
    const TReply& r = FWaiting.begin()->second;
    return qMax(dueTime(r, 0), FTxFreeAt);
}

void TLineScheduler::clear()
{
    FWaiting.clear();
    FActive.reset();
}

} // namespace quentry::emulator
