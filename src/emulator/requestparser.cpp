#include "requestparser.h"

#include "wire/crc16.h"

namespace quentry::emulator {
namespace {

constexpr quint8 kPreamble = 0xFF;
constexpr quint8 kHartShortStx = 0x02;
constexpr quint8 kHartLongStx = 0x82;
constexpr quint8 kWakeUp = 0x57;

} // namespace

void TRequestParser::setMode(TLineMode mode)
{
    if (mode == FMode) return;
    FMode = mode;
    // Bytes framed for another mode mean nothing in this one.
    dropFront(int(FBuffer.size()), true);
}

void TRequestParser::feed(const quint8* data, int count, std::vector<TParsedRequest>& out)
{
    if (count <= 0) return;
    const qint64 chunkStart = FFront + FBuffer.size();
    FBuffer.append(reinterpret_cast<const char*>(data), count);
    parse(out, chunkStart);
    if (FBuffer.size() > kBufferLimit) dropFront(int(FBuffer.size()) - kBufferLimit, true);
}

void TRequestParser::flushIdle(std::vector<TParsedRequest>& out)
{
    while (!FBuffer.isEmpty()) {
        dropFront(1, true);
        parse(out, -1);
    }
}

void TRequestParser::parse(std::vector<TParsedRequest>& out, qint64 chunkStart)
{
    while (!FBuffer.isEmpty()) {
        TParsedRequest r;
        r.mode = FMode;
        int length = 0;
        TStep step = TStep::NeedMore;
        switch (FMode) {
        case TLineMode::Hart: step = tryHart(r, length); break;
        case TLineMode::Fast: step = tryFast(r, length); break;
        case TLineMode::Adapter: step = tryAdapter(r, length); break;
        }
        if (step == TStep::NeedMore) return;
        if (step == TStep::Garbage) {
            dropFront(1, true);
            continue;
        }
        r.raw = FBuffer.left(length);
        const qint64 end = FFront + length - 1;
        r.endOffset = chunkStart >= 0 && end >= chunkStart ? int(end - chunkStart) : -1;
        dropFront(length, false);
        out.push_back(std::move(r));
    }
}

TRequestParser::TStep TRequestParser::tryHart(TParsedRequest& r, int& length) const
{
    const int size = int(FBuffer.size());
    int p = 0;
    while (p < size && at(p) == kPreamble) ++p;
    if (p == size) return size > kMaxHartPreambles ? TStep::Garbage : TStep::NeedMore;
    // A receiver needs two preambles to lock on; a delimiter after fewer is noise.
    if (p < 2 || p > kMaxHartPreambles) return TStep::Garbage;
    const quint8 delimiter = at(p);
    if (delimiter != kHartShortStx && delimiter != kHartLongStx) return TStep::Garbage;
    const int addressLength = delimiter == kHartLongStx ? 5 : 1;
    const int countAt = p + 1 + addressLength + 1;
    if (size <= countAt) return TStep::NeedMore;
    const int dataCount = at(countAt);
    const int total = countAt + 1 + dataCount + 1;
    if (size < total) return TStep::NeedMore;
    quint8 x = 0;
    for (int i = p; i < total; ++i) x ^= at(i);
    if (x != 0) return TStep::Garbage;
    r.preambles = p;
    r.longAddress = addressLength == 5;
    for (int i = 0; i < addressLength; ++i) r.address[size_t(i)] = at(p + 1 + i);
    r.cmd = at(countAt - 1);
    r.data = FBuffer.mid(countAt + 1, dataCount);
    length = total;
    return TStep::Found;
}

TRequestParser::TStep TRequestParser::tryFast(TParsedRequest& r, int& length) const
{
    const int size = int(FBuffer.size());
    if (size < 3) return TStep::NeedMore;
    const int dataCount = at(1) << 8 | at(2);
    if (dataCount > kMaxFastData) return TStep::Garbage;
    const int total = 3 + dataCount + 2;
    if (size < total) return TStep::NeedMore;
    const auto* bytes = reinterpret_cast<const quint8*>(FBuffer.constData());
    const quint16 crc = CRC16(bytes, 0, 3 + dataCount);
    // Requests carry their CRC most significant byte first.
    if (at(3 + dataCount) != quint8(crc >> 8) || at(4 + dataCount) != quint8(crc)) return TStep::Garbage;
    r.cmd = at(0);
    r.data = FBuffer.mid(3, dataCount);
    length = total;
    return TStep::Found;
}

TRequestParser::TStep TRequestParser::tryAdapter(TParsedRequest& r, int& length) const
{
    if (at(0) == kWakeUp) {
        r.wakeUp = true;
        length = 1;
        return TStep::Found;
    }
    if (FBuffer.size() < 4) return TStep::NeedMore;
    const auto* bytes = reinterpret_cast<const quint8*>(FBuffer.constData());
    const quint16 crc = CRC16(bytes, 0, 2);
    // Mode commands carry their CRC least significant byte first.
    if (at(2) != quint8(crc) || at(3) != quint8(crc >> 8)) return TStep::Garbage;
    r.modeCommand = {at(0), at(1)};
    length = 4;
    return TStep::Found;
}

void TRequestParser::dropFront(int n, bool garbage)
{
    n = qMin(n, int(FBuffer.size()));
    if (n <= 0) return;
    FBuffer.remove(0, n);
    FFront += n;
    if (garbage) FGarbage += n;
}

} // namespace quentry::emulator
