// Any bytes parsed as a FAST reply, checked as a possibly whole quick reply, and parsed as
// an adapter's mode answer.
#include "adapters.h"
#include "fastframe.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace quentry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<quint8> rx(data, data + std::min<size_t>(size, 65535));
    TTXRXInfo reply;
    int lengthField = 0;
    const TFrameError e = FastParseReply(rx.data(), int(rx.size()), reply, lengthField);
    if (e == FRERR_OK && (rx.size() < 6 || lengthField != int(rx.size()) - 5)) std::abort();
    // A whole frame lies inside what arrived and parses as one.
    const int whole = FastCompleteFrame(rx.data(), int(rx.size()));
    if (whole < 0 || whole > int(rx.size())) std::abort();
    if (whole > 0) {
        TTXRXInfo quick;
        int quickLength = 0;
        if (FastParseReply(rx.data(), whole, quick, quickLength) != FRERR_OK) std::abort();
    }
    (void)FastAckDump(rx.data(), int(std::min<size_t>(rx.size(), 512)));
    const quint8 r = AdapterAnswerResult(rx.data(), int(std::min<size_t>(rx.size(), 1025)));
    if (r != TLinkAdapter::kNoAnswer && rx.size() < 3) std::abort();
    return 0;
}
