#include "transmitterlogic.h"

#include "loggercontent.h"
#include "loggerrow.h"
#include "replyframes.h"

namespace quentry::emulator {
namespace {

constexpr int kHartBaud = 1200, kFastBaud = 57600, kAdapterBaud = 9600;

// Result bytes of the adapters' mode commands.
constexpr quint8 kTavixHart = 0x34, kTavixFast = 0x35, kIrDAOk = 0x30;

} // namespace

int TTransmitterStats::hartCount(int cmd, int pollingAddress) const
{
    const auto it = hartShort.find(pollingAddress << 8 | cmd);
    return it == hartShort.end() ? 0 : it->second;
}

int TTransmitterStats::hartLongCount(int cmd) const
{
    const auto it = hartLong.find(cmd);
    return it == hartLong.end() ? 0 : it->second;
}

int TTransmitterStats::fastCount(int cmd) const
{
    const auto it = fast.find(cmd);
    return it == fast.end() ? 0 : it->second;
}

// The ring as written, before any defect.
static std::unique_ptr<TLoggerRing> MakeRing(const TEmulatorConfig& c)
{
    const int cap = c.capacity();
    if (!c.presetRows.empty()) {
        std::vector<TLogRowBytes> rows = c.presetRows;
        if (!c.keepRowChecksums)
            for (TLogRowBytes& r : rows) SetRowChecksum(r);
        quint32 written = quint32(rows.size());
        const int sor = int(rows.size()) - (c.pages - 1) * kRowsPerPage;
        // A wrapped ring whose readable rows are exactly these: the newest page holds the
        // rows past the other full pages.
        if (c.wrapped && sor >= 1 && sor <= kRowsPerPage) written = quint32(cap + sor);
        return std::make_unique<TLoggerRing>(c.pages, std::move(rows), written);
    }
    const quint32 written = c.written();
    int readable = int(written);
    if (written > quint32(cap)) {
        const int sor = int((written - 1) % quint32(cap)) % kRowsPerPage + 1;
        readable = (c.pages - 1) * kRowsPerPage + sor;
    }
    const quint32 oldest = written - quint32(readable);
    return std::make_unique<TLoggerRing>(c.pages,
                                         c.startMinute ? GenerateLoggerRowsFrom(*c.startMinute, readable, oldest, c.seed)
                                                       : GenerateLoggerRows(readable, oldest, c.seed),
                                         written);
}

std::unique_ptr<TLoggerRing> MakeLogger(const TEmulatorConfig& c)
{
    std::unique_ptr<TLoggerRing> ring = MakeRing(c);
    if (c.defects.empty()) return ring;
    std::vector<TLogRowBytes> rows = ring->rows();
    c.defects.applyTo(rows);
    ring = std::make_unique<TLoggerRing>(ring->pages(), std::move(rows), ring->written());
    ring->setDefectiveRows(c.defects.readErrorRows, c.defects.badCheckRows);
    return ring;
}

TTransmitterLogic::TTransmitterLogic(const TEmulatorConfig& config)
    : FConfig(config), FProtocol(config.protocol), FModel(std::make_unique<TDeviceModel>(config)),
      FLogger(MakeLogger(config)), FFaults(config.faults, config.seed)
{
    FCommands = std::make_unique<TCommandSet>(*FModel, *FLogger);
    FModel->setLoggerWrapped(FLogger->wrapped());
    FParser.setMode(FProtocol == TEmuProtocol::Hart ? TLineMode::Hart : TLineMode::Fast);
}

void TTransmitterLogic::setFaults(const TFaultPlan& plan) { FFaults = TFaultInjector(plan, FConfig.seed); }

const TTransmitterStats& TTransmitterLogic::stats() const
{
    FStats.garbageBytes = FParser.garbageBytes();
    return FStats;
}

TLineMode TTransmitterLogic::modeFor(const TLineSettings& line) const
{
    if (FConfig.adapter != TEmuAdapter::None && line.known && line.baud == kAdapterBaud) return TLineMode::Adapter;
    return FProtocol == TEmuProtocol::Hart ? TLineMode::Hart : TLineMode::Fast;
}

bool TTransmitterLogic::lineFits(const TLineSettings& line, TLineMode mode) const
{
    if (!line.known) return true;
    switch (mode) {
    case TLineMode::Hart: return line.baud == kHartBaud;
    case TLineMode::Fast: return line.baud == kFastBaud;
    case TLineMode::Adapter: return line.baud == kAdapterBaud;
    }
    return false;
}

int TTransmitterLogic::framingBits(const TLineSettings& line) const
{
    return modeFor(line) == TLineMode::Hart ? 11 : 10;
}

std::vector<TLineAction> TTransmitterLogic::receive(const quint8* data, int count, const TLineSettings& line)
{
    std::vector<TLineAction> out;
    if (FUnplugged || count <= 0) return out;
    FLastLine = line;
    const TLineMode mode = modeFor(line);
    FParser.setMode(mode);
    if (!lineFits(line, mode)) {
        // A HART modem hears nothing of a FAST frame, and the other way round.
        FStats.mismatchedBytes += count;
        return out;
    }
    std::vector<TParsedRequest> found;
    FParser.feed(data, count, found);
    for (const TParsedRequest& r : found) {
        handle(r, out);
        if (FUnplugged) break;
    }
    return out;
}

std::vector<TLineAction> TTransmitterLogic::idle()
{
    std::vector<TLineAction> out;
    if (FUnplugged) return out;
    std::vector<TParsedRequest> found;
    FParser.flushIdle(found);
    for (const TParsedRequest& r : found) {
        handle(r, out);
        if (FUnplugged) break;
    }
    return out;
}

void TTransmitterLogic::remember(const TParsedRequest& r)
{
    FStats.recentRequests.push_back(r.raw);
    while (int(FStats.recentRequests.size()) > TTransmitterStats::kRecentRequests) FStats.recentRequests.pop_front();
}

void TTransmitterLogic::handle(const TParsedRequest& r, std::vector<TLineAction>& out)
{
    remember(r);
    switch (r.mode) {
    case TLineMode::Hart: handleHart(r, out); break;
    case TLineMode::Fast: handleFast(r, out); break;
    case TLineMode::Adapter: handleAdapter(r, out); break;
    }
}

bool TTransmitterLogic::hartForUs(const TParsedRequest& r) const
{
    if (!r.longAddress) return (r.address[0] & 0x3F) == FModel->pollingAddress();
    const std::array<quint8, 5>& mine = FModel->longAddress();
    if ((r.address[0] & 0x3F) == (mine[0] & 0x3F) && r.address[1] == mine[1] && r.address[2] == mine[2] &&
        r.address[3] == mine[3] && r.address[4] == mine[4])
        return true;
    // Command 11 goes to the broadcast address; the tag decides who answers.
    return r.cmd == 11 && (r.address[0] & 0x3F) == 0 && r.address[1] == 0 && r.address[2] == 0 &&
           r.address[3] == 0 && r.address[4] == 0;
}

void TTransmitterLogic::send(QByteArray frame, const TFaultHits& hits, int endOffset, std::vector<TLineAction>& out)
{
    if (hits.badChecksum) SpoilChecksum(frame);
    if (hits.drop) {
        ++FStats.repliesDropped;
        return;
    }
    ++FStats.repliesSent;
    TLineAction a;
    a.bytes = std::move(frame);
    a.delayMs = hits.delayMs;
    a.endOffset = endOffset;
    out.push_back(std::move(a));
}

void TTransmitterLogic::handleHart(const TParsedRequest& r, std::vector<TLineAction>& out)
{
    const bool forUs = hartForUs(r);
    if (!r.longAddress) ++FStats.hartShort[(r.address[0] & 0x3F) << 8 | r.cmd];
    else if (forUs) ++FStats.hartLong[r.cmd];
    else ++FStats.hartLongOther;
    if (!forUs) {
        ++FStats.notForUs;
        return;
    }
    const TFaultHits hits = FFaults.evaluate(TCommandSet::hartFacts(r.cmd, r.data));
    if (hits.unplug) {
        FUnplugged = true;
        out.push_back({TLineAction::TKind::Unplug, {}, 0, r.endOffset});
        return;
    }
    const TCommandOutcome o = FCommands->hart(r.cmd, r.data, hits);
    if (!o.reply) {
        ++FStats.notForUs;
        return;
    }
    TParsedRequest from = r;
    if (hits.otherAddress) {
        if (r.longAddress) from.address[4] ^= 0x01;
        else from.address[0] = quint8((r.address[0] & 0xC0) | ((FModel->pollingAddress() + 1) & 0x0F));
    }
    send(HartReply(from, FConfig.replyPreambles, o.code, FModel->deviceStatus(), o.data), hits, r.endOffset, out);
}

void TTransmitterLogic::handleFast(const TParsedRequest& r, std::vector<TLineAction>& out)
{
    ++FStats.fast[r.cmd];
    const TFaultHits hits = FFaults.evaluate(TCommandSet::fastFacts(r.cmd, r.data));
    if (hits.unplug) {
        FUnplugged = true;
        out.push_back({TLineAction::TKind::Unplug, {}, 0, r.endOffset});
        return;
    }
    const TCommandOutcome o = FCommands->fast(r.cmd, r.data, hits);
    send(FastReply(r.cmd, o.code, o.data), hits, r.endOffset, out);
}

void TTransmitterLogic::handleAdapter(const TParsedRequest& r, std::vector<TLineAction>& out)
{
    if (r.wakeUp) {
        ++FStats.wakeUps;
        FIrDAAwake = true;
        return;
    }
    const int key = r.modeCommand[0] << 8 | r.modeCommand[1];
    ++FStats.adapterCommands[key];
    TRequestFacts facts;
    facts.command = kAdapterCommand;
    const TFaultHits hits = FFaults.evaluate(facts);
    if (hits.unplug) {
        FUnplugged = true;
        out.push_back({TLineAction::TKind::Unplug, {}, 0, r.endOffset});
        return;
    }
    int result = -1;
    if (FConfig.adapter == TEmuAdapter::Usb) {
        switch (key) {
        case 0x3030: result = FProtocol == TEmuProtocol::Hart ? kTavixHart : kTavixFast; break; // status
        case 0x3031: result = 0x31; break;
        case 0x3032: result = 0x32; break;
        case 0x3033: result = 0x33; break;
        case 0x3034: result = kTavixHart; FProtocol = TEmuProtocol::Hart; break;
        case 0x3035: result = kTavixFast; FProtocol = TEmuProtocol::Fast; break;
        default: break;
        }
    } else if (FConfig.adapter == TEmuAdapter::IrDA) {
        // The IrDA module listens only after its wake-up byte.
        if (!FIrDAAwake) return;
        FIrDAAwake = false;
        switch (key) {
        case 0x0000: case 0x3031: case 0x3732: case 0x3733: result = kIrDAOk; break;
        case 0x3730: result = kIrDAOk; FProtocol = TEmuProtocol::Hart; break;
        case 0x3030: result = kIrDAOk; FProtocol = TEmuProtocol::Fast; break;
        default: break;
        }
    }
    if (result < 0) return;
    send(AdapterAnswer(r.modeCommand, quint8(result)), hits, r.endOffset, out);
}

} // namespace quentry::emulator
