// Whole-logger reads against the paced virtual transmitter, each run twice: with replies
// ended by the byte gap (the default) and with quick replies (a reply ends when its frame
// is complete). Both are set against the protocol's floor, summed over the transactions
// the read actually made, each taken from the engine's own log of what it sent and received:
//   request and reply bytes at the line rate (10 bits a byte at 57600 baud for FAST,
//   11 at 1200 for HART) + the transmitter's turnaround, and in record mode the reader's
//   timer gap before each step it runs.
// "least" adds the byte gap after each reply where the mode waits for it; "ratio" is
// measured / least (1.00: no time lost anywhere else) and "floor_ratio" measured / floor.
// Slow (minutes): one iteration each, filter with --benchmark_filter=Page or =Record.
#include "comengine.h"
#include "loggerengine.h"
#include "ostradevice.h"
#include "virtualtransmitter.h"
#include "waiting.h"
#include "wirecount.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

using namespace quentry;
using namespace quentry::emulator;
using quentry::bench::TWireCount;

namespace {

// The byte gap the main window leaves the engine with: the settings file's default cycle time.
constexpr quint32 kByteGapMs = 150;
constexpr int kTurnaroundMs = 10;
constexpr int kRecordReadBoundMs = 30 * 60 * 1000;

struct TRig
{
    std::unique_ptr<TVirtualTransmitter> transmitter;
    std::unique_ptr<TCOMEngine> engine;
    std::unique_ptr<TOstraDevice> device;
    std::unique_ptr<TLOGGEREngine> reader;
    TWireCount wire;
    int rows = 0, messages = 0, finished = 0;
};

bool rig(TRig& r, TEmuProtocol protocol, int loggerRows, bool quick)
{
    TEmulatorConfig c;
    c.protocol = protocol;
    c.pace = true;
    c.turnaroundMs = kTurnaroundMs;
    c.pages = 2048;
    c.rows = loggerRows;
    r.transmitter = std::make_unique<TVirtualTransmitter>(c);
    const QString port = r.transmitter->start();
    if (port.isEmpty()) return false;
    r.engine = std::make_unique<TCOMEngine>();
    r.engine->SetProtokoll(protocol == TEmuProtocol::Hart ? prt_HART : prt_MODE3);
    r.engine->SetTime_ByteGap(kByteGapMs);
    r.engine->SetQuickReplies(quick);
    if (!r.engine->OpenComByName(port)) return false;
    r.engine->OnComLogEvent = [&r](TCOMEngine*, const QDateTime&, const QString& c, const QString& t) {
        r.wire.note(c, t);
    };
    r.device = std::make_unique<TOstraDevice>();
    r.device->SetComEngine(r.engine.get());
    r.reader = std::make_unique<TLOGGEREngine>();
    r.reader->SetOstraDevice(r.device.get());
    r.reader->OnRdLogger = [&r](TLOGGEREngine*, const THART_PAS_LOG_Row&) { ++r.rows; };
    r.reader->OnMessage = [&r](TLOGGEREngine*, const QString&, const QString&) { ++r.messages; };
    r.reader->OnFinish = [&r](TLOGGEREngine*) { ++r.finished; };
    return true;
}

void report(benchmark::State& state, const TRig& r, double measuredMs, int baud, int bitsPerByte, int timerSteps)
{
    const TWireCount& w = r.wire;
    const double lineMs = double(w.requestBytes + w.replyBytes) * bitsPerByte * 1000.0 / baud;
    const double turnaroundMs = double(w.transactions) * kTurnaroundMs;
    const double timerMs = double(timerSteps) * r.reader->LoopInterval();
    const double floorMs = lineMs + turnaroundMs + timerMs;
    const bool quick = r.engine->QuickReplies();
    const double gapsMs = quick ? 0.0 : double(w.transactions) * double(r.engine->Time_ByteGap());
    const double leastMs = floorMs + gapsMs;
    state.counters["rows"] = r.rows;
    state.counters["transactions"] = w.transactions;
    state.counters["retries"] = w.retries;
    state.counters["req_bytes"] = double(w.requestBytes);
    state.counters["reply_bytes"] = double(w.replyBytes);
    state.counters["line_s"] = lineMs / 1000;
    state.counters["gaps_s"] = gapsMs / 1000;
    state.counters["timer_s"] = timerMs / 1000;
    state.counters["floor_s"] = floorMs / 1000;
    state.counters["least_s"] = leastMs / 1000;
    state.counters["measured_s"] = measuredMs / 1000;
    state.counters["ratio"] = measuredMs / leastMs;
    state.counters["floor_ratio"] = measuredMs / floorMs;
    QString commands;
    for (const auto& [cmd, n] : w.commands) commands += QStringLiteral("%1x%2 ").arg(n).arg(cmd);
    state.SetLabel(QStringLiteral("%1, byte gap %2 ms, turnaround %3 ms; commands (count x number): %4")
                       .arg(quick ? QStringLiteral("quick replies") : QStringLiteral("replies end at the byte gap"))
                       .arg(r.engine->Time_ByteGap())
                       .arg(kTurnaroundMs)
                       .arg(commands.trimmed())
                       .toStdString());
    if (r.finished != 1 || r.messages != 0 || w.retries != 0 || w.failures != 0)
        state.SkipWithError("the read did not run clean");
}

// A full logger, page by page in the blocking loop, as the main window reads over FAST.
void BM_LoggerReadPageMode(benchmark::State& state)
{
    TRig r;
    if (!rig(r, TEmuProtocol::Fast, int(state.range(0)), state.range(1) != 0)) {
        state.SkipWithError("no pty or port");
        return;
    }
    double measuredMs = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        r.reader->AssyReadByPage();
        measuredMs = double(t.nsecsElapsed()) / 1e6;
    }
    if (r.rows != state.range(0)) state.SkipWithError("not every row arrived");
    report(state, r, measuredMs, 57600, 10, 0);
}
BENCHMARK(BM_LoggerReadPageMode)->ArgsProduct({{12288}, {0, 1}})->ArgNames({"rows", "quick"})->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// Record by record on the reader's timer, as over HART.
void BM_LoggerReadRecordMode(benchmark::State& state)
{
    TRig r;
    if (!rig(r, TEmuProtocol::Hart, int(state.range(0)), state.range(1) != 0)) {
        state.SkipWithError("no pty or port");
        return;
    }
    TTestedDevice tested;
    if (r.device->RdUniqueID(0, tested.UniqueID) != FRERR_OK) {
        state.SkipWithError("transmitter not found");
        return;
    }
    r.reader->SetTestedDevice(tested);
    r.wire = {};
    double measuredMs = 0;
    int startTransactions = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        r.reader->InitReadByRecord();
        startTransactions = r.wire.transactions; // open, seek and the first read, before the timer runs
        WaitUntil([&r] { return !r.reader->Active(); }, kRecordReadBoundMs);
        measuredMs = double(t.nsecsElapsed()) / 1e6;
    }
    if (r.rows != state.range(0)) state.SkipWithError("not every row arrived");
    // Each timer step ran one transaction: a read, or the closing at the end.
    report(state, r, measuredMs, 1200, 11, r.wire.transactions - startTransactions);
}
BENCHMARK(BM_LoggerReadRecordMode)->ArgsProduct({{200}, {0, 1}})->ArgNames({"rows", "quick"})->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
