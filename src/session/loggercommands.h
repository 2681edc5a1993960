#pragma once
// The logger commands that are not a read: clearing the transmitter's logger.
#include "deviceaccess.h"

namespace quentry {

class TLOGGEREngine;

// Opens the logger, clears it and closes it again, with a progress dialog. False when a
// read is running (nothing is sent), when the logger could not be opened, or when the
// clear failed (then no close is sent).
bool ClearLogger(TDeviceAccess& access, const TLOGGEREngine& reader);

// "Are You sure to delete all records from the Device?"
QString ClearLoggerQuestion();

} // namespace quentry
