// One transaction of the link engine against the paced virtual transmitter, against the
// least the protocol allows: the request and the reply at the line rate, the
// transmitter's turnaround and the byte gap after which the engine takes a reply as
// complete. "overhead" is measured / least; 1.00 means no time lost anywhere else.
#include "comengine.h"
#include "virtualtransmitter.h"
#include "wire/wireconv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>

using namespace quentry;
using namespace quentry::emulator;

namespace {

struct TSetup
{
    std::unique_ptr<TVirtualTransmitter> transmitter;
    std::unique_ptr<TCOMEngine> engine;
};

TSetup pacedLine(TEmuProtocol protocol, benchmark::State& state)
{
    TEmulatorConfig c;
    c.protocol = protocol;
    c.pace = true;
    TSetup s{std::make_unique<TVirtualTransmitter>(c), std::make_unique<TCOMEngine>()};
    const QString port = s.transmitter->start();
    s.engine->SetProtokoll(protocol == TEmuProtocol::Hart ? prt_HART : prt_MODE3);
    if (port.isEmpty() || !s.engine->OpenComByName(port)) state.SkipWithError("no pty");
    return s;
}

void report(benchmark::State& state, double measuredMs, double leastMs)
{
    state.counters["least_ms"] = leastMs;
    state.counters["measured_ms"] = measuredMs;
    state.counters["overhead"] = measuredMs / leastMs;
}

void BM_PacedHartRecordRead(benchmark::State& state)
{
    TSetup s = pacedLine(TEmuProtocol::Hart, state);
    TTXRXInfo d;
    d.FactoryID = 0x60;
    d.DeviceTypeID = 0x51;
    d.DeviceID_HI = 0x01;
    d.DeviceID_MID = 0x23;
    d.DeviceID_LO = 0x45;
    d.Preemables = 5;
    d.IsPrimary = d.IsLongAddress = true;
    THART_LOG_OpenClose open{};
    open.mode = 1;
    s.engine->HART_LOG_OpenClose(d, open);
    QElapsedTimer t;
    qint64 total = 0;
    for (auto _ : state) {
        THART_LOG_RdRecord r{};
        r.mode = 1;
        t.start();
        s.engine->HART_LOG_RdRecord(d, r);
        total += t.nsecsElapsed();
        if (d.FrameError != FRERR_OK) state.SkipWithError("record read failed");
    }
    // 15 request and 65 reply bytes of 11 bits at 1200 baud, turnaround, byte gap.
    const double least = (15 + 65) * 11 * 1000.0 / 1200 + 10 + s.engine->Time_ByteGap();
    report(state, total / 1e6 / double(state.iterations()), least);
}
BENCHMARK(BM_PacedHartRecordRead)->Iterations(4)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PacedFastPageRead(benchmark::State& state)
{
    TSetup s = pacedLine(TEmuProtocol::Fast, state);
    QElapsedTimer t;
    qint64 total = 0;
    int page = 0;
    for (auto _ : state) {
        TFAST_LOG_RdPage p{};
        writeBE16(p.wrpageindex, quint16(page++));
        TTXRXInfo d;
        t.start();
        s.engine->FAST_LOG_RdPage(d, p);
        total += t.nsecsElapsed();
        if (d.FrameError != FRERR_OK) state.SkipWithError("page read failed");
    }
    // 7 request and 276 reply bytes of 10 bits at 57600 baud, turnaround, byte gap.
    const double least = (7 + 276) * 10 * 1000.0 / 57600 + 10 + s.engine->Time_ByteGap();
    report(state, total / 1e6 / double(state.iterations()), least);
}
BENCHMARK(BM_PacedFastPageRead)->Iterations(10)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
