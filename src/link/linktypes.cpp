#include "linktypes.h"

namespace quentry {

QString FrameErrorMessage(TFrameError e)
{
    static const char* const kMessages[kFrameErrorCount] = {
        "OK",          "INVALID FRAME",   "CHKSUM ERROR",    "ADDRESS ERROR",
        "ADDRESS ERROR", "TIMEOUT",       "NO FRAME",        "INVALID SIZE",
        "INTERFACE ERROR", "PROTOKOLL ERROR", "COM. ADAPTER ERROR", "COM. ADAPTER ERROR AND ABORT",
    };
    const int i = int(e);
    return i < kFrameErrorCount ? QString::fromLatin1(kMessages[i]) : QString();
}

} // namespace quentry
