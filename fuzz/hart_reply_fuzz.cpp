// Any bytes a line can deliver, parsed as a HART reply to a request with any addressing,
// checked as a possibly whole quick reply, then the response texts. The parse must never read outside what arrived.
#include "hartframe.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace quentry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6) return 0;
    TTXRXInfo request;
    request.IsLongAddress = data[0] & 1;
    request.Saddress = data[0] >> 1;
    request.FactoryID = data[1];
    request.DeviceTypeID = data[2];
    request.DeviceID_HI = data[3];
    request.DeviceID_MID = data[4];
    request.DeviceID_LO = data[5];
    // An exact-size copy, so the sanitizer sees any read past the received bytes.
    std::vector<quint8> rx(data + 6, data + std::min<size_t>(size, 6 + 65535));
    int offset = 0;
    TTXRXInfo reply = request;
    const TFrameError e = HartParseReply(rx.data(), int(rx.size()), reply, offset);
    if (e == FRERR_OK && (offset < 0 || offset + 1 >= int(rx.size()))) std::abort(); // status bytes arrived
    const int whole = HartCompleteFrame(rx.data(), int(rx.size()));
    if (whole < 0 || whole > int(rx.size())) std::abort(); // a whole frame lies inside what arrived
    THART_RESPONSE_STR texts;
    HartDecodeResponse(reply.ApiError, texts);
    (void)HexDump(rx.data(), int(std::min<size_t>(rx.size(), 512)));
    return 0;
}
