// The shell's file work on a full logger (12 288 rows): image save and load, ASCII and
// dBASE export, and the conversion into the log table. Loops run with the real event
// processing every 100th row and the silent feedback.
#include "asciiexport.h"
#include "dbaseexport.h"
#include "imagefile.h"
#include "imagerow.h"
#include "logtable.h"
#include "testrows.h"
#include "wire/crc16.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace quentry;

namespace {

constexpr int kRows = 12288;
constexpr int kLoadableRows = 12287; // the largest count a load accepts

TLogStore& Store()
{
    static TLogStore store = [] {
        TLogStore s;
        test::FillStore(s, kRows);
        return s;
    }();
    return store;
}

QTemporaryDir& Dir()
{
    static QTemporaryDir dir;
    return dir;
}

void BM_ImageSave(benchmark::State& state)
{
    const QString path = Dir().filePath("bench.img");
    for (auto _ : state) {
        const TFileResult r = SaveImage(path, Store(), {});
        if (!r.ok) state.SkipWithError("save failed");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ImageSave)->Unit(benchmark::kMillisecond);

void BM_ImageLoad(benchmark::State& state)
{
    const QString path = Dir().filePath("load.img");
    Store().SetLogCount(kLoadableRows);
    SaveImage(path, Store(), {});
    Store().SetLogCount(kRows);
    TLogStore loaded;
    for (auto _ : state) {
        const TFileResult r = LoadImage(path, loaded, {});
        if (r.records != kLoadableRows) state.SkipWithError("load failed");
    }
    state.SetItemsProcessed(state.iterations() * kLoadableRows);
}
BENCHMARK(BM_ImageLoad)->Unit(benchmark::kMillisecond);

// The share of the per-row CRC-16 in the image save and load.
void BM_ImageRowCrc(benchmark::State& state)
{
    QByteArray rows(qsizetype(kImageRowSize) * kRows, '\0');
    auto* p = reinterpret_cast<quint8*>(rows.data());
    for (int i = 0; i < kRows; ++i) EncodeImageRow(Store().Row(i), p + qsizetype(kImageRowSize) * i);
    for (auto _ : state) {
        unsigned sum = 0;
        for (int i = 0; i < kRows; ++i) sum += CRC16(p + qsizetype(kImageRowSize) * i, 0, kImageRowSize);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ImageRowCrc)->Unit(benchmark::kMillisecond);

void BM_AsciiExport(benchmark::State& state)
{
    const QString path = Dir().filePath("bench.txt");
    for (auto _ : state) {
        const TFileResult r = ExportAscii(path, Store(), {}, ':');
        if (!r.ok) state.SkipWithError("export failed");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_AsciiExport)->Unit(benchmark::kMillisecond);

void BM_TableConversion(benchmark::State& state)
{
    TLogTable table;
    for (auto _ : state) {
        table.SetStale();
        table.ConvertToTable(Store(), {});
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_TableConversion)->Unit(benchmark::kMillisecond);

void BM_DbaseExport(benchmark::State& state)
{
    TLogTable table;
    table.ConvertToTable(Store(), {});
    const QString path = Dir().filePath("bench.dbf");
    for (auto _ : state) {
        const TFileResult r = ExportDbase(path, table.Model(), {});
        if (!r.ok) state.SkipWithError("export failed");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_DbaseExport)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
