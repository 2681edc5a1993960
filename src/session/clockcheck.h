#pragma once
// The clock check of every detection: the transmitter's clock against this PC's, taken at
// the middle of the request that read it. Over HART the clock is read to the second
// (command 165); over FAST only to the minute, through the clock parameters.
#include "deviceaccess.h"
#include "historytypes.h"
#include "loggersettings.h"

#include <vector>

namespace quentry {

// Above this the transmitter's clock is called off, unless the settings file says otherwise.
constexpr int kDefaultClockWarnSeconds = 60;

// Empty when the clock does not read. `detected` is the clock as detection read it, whose
// date a reading to the minute goes with.
std::optional<TClockReading> ReadClockAgainstPc(TDeviceAccess& access, const TRtcValue& detected);

// Seconds a day the clock gains (positive) or loses against an earlier reading, the latest
// one far enough back for the rounding of both readings to matter little. Empty without
// one, and when the offset moved more than a clock can drift (it was set in between).
std::optional<double> ClockDrift(const TClockReading& now, const std::vector<TClockReading>& earlierNewestFirst);

} // namespace quentry
