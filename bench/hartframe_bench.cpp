// Throughput of building a HART request and parsing + decoding its reply.
#include "hartframe.h"

#include <benchmark/benchmark.h>
#include <vector>

using namespace quentry;

static TTXRXInfo longAddress()
{
    TTXRXInfo d;
    d.IsLongAddress = true;
    d.IsPrimary = true;
    d.Preemables = 5;
    d.FactoryID = 0x26;
    d.DeviceTypeID = 0x41;
    d.DeviceID_HI = 0x12;
    d.DeviceID_MID = 0x34;
    d.DeviceID_LO = 0x56;
    d.cmd = 164;
    return d;
}

static void BM_HartBuildRequest(benchmark::State& state)
{
    const TTXRXInfo d = longAddress();
    const quint8 data[1] = {1};
    for (auto _ : state) benchmark::DoNotOptimize(HartBuildRequest(d, data, 1));
}
BENCHMARK(BM_HartBuildRequest);

static void BM_HartParseAndDecodeRecordReply(benchmark::State& state)
{
    // A logger record reply: 5 preambles, long frame, 2 status bytes and 49 data bytes.
    std::vector<quint8> reply(5, 0xFF);
    const quint8 header[] = {0x86, 0x26 | 0x80, 0x41, 0x12, 0x34, 0x56, 164, 51, 0x00, 0x00};
    reply.insert(reply.end(), header, header + sizeof header);
    for (int i = 0; i < 49; ++i) reply.push_back(quint8(i * 7));
    quint8 x = 0;
    for (size_t i = 5; i < reply.size(); ++i) x ^= reply[i];
    reply.push_back(x);
    for (auto _ : state) {
        TTXRXInfo r = longAddress();
        int offset = 0;
        THART_RESPONSE_STR texts;
        benchmark::DoNotOptimize(HartParseReply(reply.data(), int(reply.size()), r, offset));
        benchmark::DoNotOptimize(HartDecodeResponse(r.ApiError, texts));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(reply.size()));
}
BENCHMARK(BM_HartParseAndDecodeRecordReply);

BENCHMARK_MAIN();
