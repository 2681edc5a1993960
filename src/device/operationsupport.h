#pragma once
// The common sequence of every device operation: stamp the framing options, run one
// engine command on the raw record, hand back the transaction's outcome.
#include "ostradevice.h"

namespace quentry::detail {

template <class Raw> using TEngineCommand = void (TCOMEngine::*)(TTXRXInfo&, Raw&);

// False when the device has no engine (nothing is sent, the caller returns FERR_INTERFACE).
template <class Raw> bool run(TOstraDevice& dev, TTXRXInfo& f_device, Raw& raw, TEngineCommand<Raw> command)
{
    TCOMEngine* engine = dev.COMEngine();
    if (!engine) return false;
    dev.PrepareSend(f_device);
    (engine->*command)(f_device, raw);
    return true;
}

} // namespace quentry::detail
