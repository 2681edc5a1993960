#pragma once
// Generated logger content that looks like a real open-channel site: a row every five
// minutes with the level following a daily swing, a weekly drift and the odd storm; flow
// over a V-notch weir; totalisers that add it up; temperature and loop current; now and
// then a spell without echo, a power cut or someone reading the logger. The same seed
// gives the same rows.
#include "emulatorconfig.h"

#include <vector>

namespace quentry::emulator {

// `count` rows, oldest first, the first of them being write number `firstWrite` since
// the logger was cleared (its index is that number, modulo 65536). Time stamps end
// before May 2021, the last date the stamp can express.
std::vector<TLogRowBytes> GenerateLoggerRows(int count, quint32 firstWrite, quint64 seed);

// The rows of a logger cleared at `startMinute` (minutes since 2001-01-01 00:00) that has
// been written ever since: writes firstWrite .. firstWrite + count - 1, write 0 being the
// clear. A write's row depends only on the start, the seed and its number, so the same
// logger read again later holds its old rows byte for byte and more after them.
std::vector<TLogRowBytes> GenerateLoggerRowsFrom(qint64 startMinute, int count, quint32 firstWrite, quint64 seed);
// A bound on the minutes `writes` rows from a start take (five-minute cycles, power cuts).
qint64 StoryMinutes(qint64 writes);
// Minutes since 2001-01-01 00:00 of the last moment generated rows may carry.
qint64 LastStampMinute();

// The site's values at a moment, for live readings (minutes since 2001-01-01 00:00).
struct TSiteValues
{
    float level, distance, flow, temperature, current;
};
TSiteValues SiteValuesAt(double minutes, quint64 seed);

constexpr float kSensorHeight = 1.20f; // m above the channel bottom
constexpr float kFlowRange = 250.0f;   // l/s at 20 mA

} // namespace quentry::emulator
