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

// The site's values at a moment, for live readings (minutes since 2001-01-01 00:00).
struct TSiteValues
{
    float level, distance, flow, temperature, current;
};
TSiteValues SiteValuesAt(double minutes, quint64 seed);

constexpr float kSensorHeight = 1.20f; // m above the channel bottom
constexpr float kFlowRange = 250.0f;   // l/s at 20 mA

} // namespace quentry::emulator
