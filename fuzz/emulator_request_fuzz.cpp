// Any bytes a master can send, at any of the line rates, into the virtual transmitter:
// the request parser must stay within its buffer, every request found must be one that
// checks out, and whatever the transmitter answers must be a bounded frame.
#include "requestparser.h"
#include "transmitterlogic.h"

#include <cstdint>
#include <cstdlib>

using namespace quentry::emulator;

namespace {

const TLineSettings kLines[] = {
    {true, 1200, 8, 'N', 1}, {true, 57600, 8, 'N', 1}, {true, 9600, 8, 'N', 1}, {true, 38400, 8, 'N', 1}};

// The longest reply of either protocol is a FAST page: 276 bytes.
constexpr int kLongestReply = 300;

void checkParsed(const std::vector<TParsedRequest>& found)
{
    for (const TParsedRequest& r : found) {
        if (r.raw.isEmpty() || r.raw.size() > TRequestParser::kBufferLimit) std::abort();
        if (r.mode == TLineMode::Hart && (r.preambles < 2 || r.data.size() > 255)) std::abort();
        if (r.mode == TLineMode::Fast && r.data.size() > TRequestParser::kMaxFastData) std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    TEmulatorConfig c;
    c.adapter = (data[0] & 1) ? TEmuAdapter::Usb : (data[0] & 2) ? TEmuAdapter::IrDA : TEmuAdapter::None;
    c.protocol = (data[0] & 4) ? TEmuProtocol::Fast : TEmuProtocol::Hart;
    c.pages = 2;
    c.rows = 9;
    c.wrapped = data[0] & 8;
    c.seed = data[0];
    c.faults = *TFaultPlan::parse(QStringLiteral("jump=30%:2,repeat=20%,rowchk=25%:3,readerror=10%,chk=5%,addr=5%"));
    TTransmitterLogic transmitter(c);
    TRequestParser parsers[3];
    parsers[1].setMode(TLineMode::Fast);
    parsers[2].setMode(TLineMode::Adapter);

    // Chunks: a header byte (bits 0..5 length, 0 = the line goes quiet; bits 6..7 the line
    // rate), then that many bytes.
    size_t i = 1;
    while (i < size) {
        const int length = data[i] & 0x3F;
        const TLineSettings& line = kLines[data[i] >> 6];
        ++i;
        const int n = int(std::min<size_t>(size_t(length), size - i));
        std::vector<TLineAction> actions =
            n == 0 ? transmitter.idle() : transmitter.receive(data + i, n, line);
        for (const TLineAction& a : actions)
            if (a.kind == TLineAction::TKind::Send && (a.bytes.isEmpty() || a.bytes.size() > kLongestReply)) std::abort();
        for (TRequestParser& p : parsers) {
            std::vector<TParsedRequest> found;
            if (n == 0) p.flushIdle(found);
            else p.feed(data + i, n, found);
            checkParsed(found);
            if (p.pendingBytes() > TRequestParser::kBufferLimit) std::abort();
        }
        i += size_t(n);
    }
    return 0;
}
