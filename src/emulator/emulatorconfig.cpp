#include "emulatorconfig.h"

#include "loggercontent.h"

namespace quentry::emulator {

QString TEmulatorConfig::validate() const
{
    if (pollingAddress > 15) return QStringLiteral("the polling address must be 0..15");
    if (deviceId > 0xFFFFFF) return QStringLiteral("the device id has 24 bits");
    if (replyPreambles < 2 || replyPreambles > 20) return QStringLiteral("reply preambles must be 2..20");
    if (pages < 1 || pages > kMaxPages) return QStringLiteral("pages must be 1..%1").arg(kMaxPages);
    if (presetRows.empty()) {
        if (rows < 0 || rows > capacity())
            return QStringLiteral("rows must be 0..%1 for %2 pages").arg(capacity()).arg(pages);
        if (wrapped && rows < 1) return QStringLiteral("a wrapped ring needs at least one row after the turn");
        if (startMinute && (*startMinute < 0 || *startMinute + StoryMinutes(written()) > LastStampMinute()))
            return QStringLiteral("%1 rows from that start would run past April 2021, the last month a row's "
                                  "time stamp holds")
                .arg(written());
    } else if (int(presetRows.size()) > capacity()) {
        return QStringLiteral("more preset rows than the ring holds");
    } else if (wrapped && int(presetRows.size()) <= (pages - 1) * 6) {
        // A ring that has gone round holds all its pages but the part of the newest one not yet written.
        return QStringLiteral("a wrapped ring holds more than %1 preset rows").arg((pages - 1) * 6);
    }
    if (turnaroundMs < 0 || turnaroundMs > 10000) return QStringLiteral("turnaround must be 0..10000 ms");
    if (chunkBytes < 0 || chunkBytes > 4096) return QStringLiteral("chunk size must be 0..4096 bytes");
    if (chunkGapMs < 0 || chunkGapMs > kMaxChunkGapMs)
        return QStringLiteral("chunk gap must be 0..%1 ms").arg(kMaxChunkGapMs);
    return {};
}

} // namespace quentry::emulator
