#pragma once
// The far side of the line without the line: bytes in, replies out. It finds requests,
// keeps the HART or FAST mode the adapter was put in, answers the adapter's mode
// commands, carries out commands on the device model and the logger, and applies the
// faults. No clock of its own for the line and no I/O, so it can be driven from a test
// or a fuzzer as well as from the pseudo-terminal.
#include "commandset.h"
#include "devicemodel.h"
#include "emulatorconfig.h"
#include "faultplan.h"
#include "loggerring.h"
#include "requestparser.h"

#include <QByteArray>
#include <deque>
#include <map>
#include <memory>
#include <vector>

namespace quentry::emulator {

// The line as the master set it, read back from the terminal device. A pseudo-terminal
// keeps the rate but always reports 8 data bits without parity, so the frame of a byte
// on the line follows from the mode (framingBits), not from these.
struct TLineSettings
{
    bool known = false;
    int baud = 0;
    int dataBits = 8;
    char parity = 'N'; // N, O, E as reported
    int stopBits = 1;
    bool operator==(const TLineSettings&) const = default;
};

struct TLineAction
{
    enum class TKind : quint8 { Send, Unplug };
    TKind kind = TKind::Send;
    QByteArray bytes;
    int delayMs = 0;    // on top of the turnaround
    int endOffset = -1; // where the request ended in the bytes passed to receive(); -1: now
};

struct TTransmitterStats
{
    std::map<int, int> hartShort;   // (polling address << 8 | command) -> requests seen
    std::map<int, int> hartLong;    // command -> requests to this transmitter's long address
    int hartLongOther = 0;          // long frames for other transmitters
    std::map<int, int> fast;        // command -> requests
    std::map<int, int> adapterCommands; // (byte 0 << 8 | byte 1) -> mode commands seen
    int wakeUps = 0;
    int repliesSent = 0;
    int repliesDropped = 0;
    int notForUs = 0;
    qint64 garbageBytes = 0;
    qint64 mismatchedBytes = 0; // bytes at a rate or parity the current mode cannot hear
    std::deque<QByteArray> recentRequests; // the last kRecentRequests, as they came

    static constexpr int kRecentRequests = 256;
    int hartCount(int cmd, int pollingAddress) const;
    int hartLongCount(int cmd) const;
    int fastCount(int cmd) const;
};

class TTransmitterLogic
{
public:
    explicit TTransmitterLogic(const TEmulatorConfig& config);

    std::vector<TLineAction> receive(const quint8* data, int count, const TLineSettings& line);
    // The line has been quiet a while: whatever is left can only be garbage hiding a request.
    std::vector<TLineAction> idle();
    bool hasPendingInput() const { return FParser.hasPending(); }

    TEmuProtocol protocol() const { return FProtocol; }
    void setFaults(const TFaultPlan& plan);
    const TTransmitterStats& stats() const;
    const TDeviceModel& model() const { return *FModel; }
    const TLoggerRing& logger() const { return *FLogger; }
    TLineSettings lastLine() const { return FLastLine; }
    // Bits a byte takes on the line in the mode these settings select: 11 for HART
    // (8-O-1), 10 for FAST and adapter commands (8-N-1).
    int framingBits(const TLineSettings& line) const;

private:
    TLineMode modeFor(const TLineSettings& line) const;
    bool lineFits(const TLineSettings& line, TLineMode mode) const;
    void handle(const TParsedRequest& r, std::vector<TLineAction>& out);
    void handleHart(const TParsedRequest& r, std::vector<TLineAction>& out);
    void handleFast(const TParsedRequest& r, std::vector<TLineAction>& out);
    void handleAdapter(const TParsedRequest& r, std::vector<TLineAction>& out);
    bool hartForUs(const TParsedRequest& r) const;
    void send(QByteArray frame, const TFaultHits& hits, int endOffset, std::vector<TLineAction>& out);
    void remember(const TParsedRequest& r);

    TEmulatorConfig FConfig;
    TEmuProtocol FProtocol;
    std::unique_ptr<TDeviceModel> FModel;
    std::unique_ptr<TLoggerRing> FLogger;
    std::unique_ptr<TCommandSet> FCommands;
    TFaultInjector FFaults;
    TRequestParser FParser;
    mutable TTransmitterStats FStats;
    TLineSettings FLastLine;
    bool FIrDAAwake = false;
    bool FUnplugged = false;
};

// The logger a configuration describes.
std::unique_ptr<TLoggerRing> MakeLogger(const TEmulatorConfig& config);

} // namespace quentry::emulator
