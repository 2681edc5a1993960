// Decoding a full logger (12 288 rows) as it arrives: one row at a time (high byte first)
// or six rows per page (low byte first), each with its status texts. Target: < 5 ms.
#include "rowdecode.h"
#include "statusdecode.h"
#include "wire/logrowcheck.h"
#include "wire/wireconv.h"

#include <benchmark/benchmark.h>
#include <vector>

using namespace quentry;

namespace {

constexpr int kRows = 12288;

THART_LOG_Row makeRow(int i, bool highFirst)
{
    THART_LOG_Row r{};
    auto w16 = [highFirst](quint8* p, quint16 v) { highFirst ? writeBE16(p, v) : writeLE16(p, v); };
    auto wf = [highFirst](quint8* p, float v) {
        highFirst ? writeBE32(p, bitsFromFloat(v)) : writeLE32(p, bitsFromFloat(v));
    };
    r.datetime[0] = quint8(12 + i % 240);
    const int w = (1 + i % 28) * 1440 + (i % 24) * 60 + i % 60;
    r.datetime[1] = quint8(w >> 8);
    r.datetime[2] = quint8(w);
    w16(r.index, quint16(i));
    r.event = quint8(i % 41);
    wf(r.PV, 1.23456f * float(i % 1000));
    wf(r.DIST, 0.03125f * float(i % 97));
    wf(r.LEV, 5.0f - 0.001f * float(i % 5000));
    r.PVunit = quint8(i % 2 ? 45 : 46);
    wf(r.TOT1, float(i) * 10.5f);
    wf(r.TOT2, float(i) * 0.25f);
    r.TOTunit = 43;
    w16(r.temperature, quint16(200 + i % 100));
    w16(r.current, quint16(400 + i % 1600));
    w16(r.es.error, quint16(1u << (i % 16)));
    w16(r.es.status, quint16(i * 37));
    w16(r.peakinfo, quint16(i * 131));
    r.SNratio = quint8(i);
    w16(r.debug1, quint16(i * 7));
    r.chk = LogRowChecksum(rawBytes(r));
    return r;
}

void BM_DecodeRecordRows(benchmark::State& state)
{
    std::vector<THART_LOG_Row> raw(kRows);
    for (int i = 0; i < kRows; ++i) raw[size_t(i)] = makeRow(i, true);
    std::vector<THART_PAS_LOG_Row> rows(kRows);
    for (auto _ : state) {
        for (int i = 0; i < kRows; ++i) {
            LogConvertRowAndSwap(raw[size_t(i)], rows[size_t(i)]);
            _CrackErrStat(0x41, rows[size_t(i)].es);
        }
        benchmark::DoNotOptimize(rows.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kRows);
}
BENCHMARK(BM_DecodeRecordRows)->Unit(benchmark::kMillisecond);

void BM_DecodePages(benchmark::State& state)
{
    std::vector<TFAST_LOG_RdPage> raw(kRows / kRowsPerPage);
    for (size_t p = 0; p < raw.size(); ++p)
        for (int i = 0; i < kRowsPerPage; ++i) raw[p].rows[i] = makeRow(int(p) * kRowsPerPage + i, false);
    raw[3].rows[2].chk ^= 1; // one spoilt row, as a real line sometimes gives
    std::vector<TFAST_PAS_LOG_RdPage> pages(raw.size());
    for (auto _ : state) {
        for (size_t p = 0; p < raw.size(); ++p) LogDecodePage(raw[p], pages[p]);
        benchmark::DoNotOptimize(pages.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kRows);
}
BENCHMARK(BM_DecodePages)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
