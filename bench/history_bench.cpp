// The site history's figures.
//   Revisits against the paced virtual transmitter (FAST: 2 016 new rows of a 12 288-row
//   logger; HART: 200 new rows, since a whole HART logger takes hours), quick replies off
//   and on, each set against the floor of the transactions a revisit needs: logger open
//   and close, the way to the join row (FAST: the layout and the pages from the join row's
//   to the one being written; HART: one seek, the join row and each new row, with the
//   reader's timer gap per step), request and reply bytes at the line rate plus the
//   transmitter's turnaround. "least" adds the byte gap per transaction where replies wait
//   for it; "ratio" is measured / least. Beside them a full FAST read of the same logger.
//   A history of a million rows (four transmitters, years of five-minute rows): adding a
//   12 288-row read, exporting a month to CSV, listing the transmitters, the file size.
// Slow (minutes): one iteration each, filter with --benchmark_filter=Million, =Pages, =Records.
#include "comengine.h"
#include "csvexport.h"
#include "historyfeed.h"
#include "historyperiod.h"
#include "logrecord.h"
#include "loggerengine.h"
#include "revisitread.h"
#include "sqlhistorystore.h"
#include "virtualtransmitter.h"
#include "waiting.h"
#include "wirecount.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace quentry;
using namespace quentry::emulator;
using quentry::bench::TWireCount;

namespace {

constexpr quint32 kByteGapMs = 150;
constexpr int kTurnaroundMs = 10;
const qint64 kCleared = qint64(QDate(2001, 1, 1).daysTo(QDate(2019, 6, 1))) * 1440;

double msSince(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

// One visit to the transmitter as it is with `rows` written, read into the history.
struct TVisit
{
    TWireCount wire;
    double measuredMs = 0;
    TRevisitRead::TResult result;
    int readerInterval = 20;
};

TVisit visit(THistoryStore& history, TEmuProtocol protocol, int rows, TRevisitRead::TKind kind, bool paced, bool quick)
{
    TVisit v;
    TEmulatorConfig c;
    c.protocol = protocol;
    c.pace = paced;
    c.turnaroundMs = paced ? kTurnaroundMs : 0;
    c.pages = 2048;
    c.rows = rows;
    c.startMinute = kCleared;
    TVirtualTransmitter transmitter(c);
    const QString port = transmitter.start();
    TCOMEngine engine;
    TOstraDevice device;
    TLOGGEREngine reader;
    TDeviceAccess access(engine, device, silentFeedback());
    device.SetComEngine(&engine);
    reader.SetOstraDevice(&device);
    const bool fast = protocol == TEmuProtocol::Fast;
    engine.SetProtokoll(fast ? prt_MODE3 : prt_HART);
    engine.SetTime_ByteGap(paced ? kByteGapMs : 20);
    engine.SetQuickReplies(quick);
    if (port.isEmpty() || !engine.OpenComByName(port)) return v;
    if (!fast) {
        TTestedDevice tested;
        device.RdUniqueID(0, tested.UniqueID);
        access.DeviceUniqueID = tested.UniqueID;
        reader.SetTestedDevice(tested);
    }
    engine.OnComLogEvent = [&v](TCOMEngine*, const QDateTime&, const QString& cls, const QString& text) {
        v.wire.note(cls, text);
    };
    TRevisitRead read(access, reader);
    TRevisitRead::TOptions o;
    o.kind = kind;
    o.history = &history;
    o.visit.device = TDeviceKey{c.factoryId, c.deviceTypeId, c.deviceId};
    o.visit.started = QDateTime::currentDateTimeUtc();
    o.visit.protocol = fast ? "fast" : "hart";
    o.visit.adapter = "none";
    o.visit.programVersion = "bench";
    QElapsedTimer t;
    t.start();
    read.Start(o);
    WaitUntil([&read] { return !read.Active(); }, 60 * 60 * 1000);
    v.measuredMs = msSince(t);
    v.result = read.Result();
    v.readerInterval = reader.LoopInterval();
    reader.SetOstraDevice(nullptr);
    engine.CloseCom(true);
    return v;
}

// The least a set of transactions takes: bytes at the line rate, turnaround, and the
// reader's timer gaps; `least` adds the byte gap that ends each reply without quick replies.
struct TFloor
{
    double floorMs = 0, leastMs = 0;
    int transactions = 0;
};
TFloor floorOf(const TWireCount& w, const std::map<int, int>& needed, int baud, int bits, int timerSteps, int timerMs,
               bool quick)
{
    TFloor f;
    for (const auto& [command, count] : needed) {
        f.floorMs += count * (w.bytesOf(command) * bits * 1000.0 / baud + kTurnaroundMs);
        f.transactions += count;
    }
    f.floorMs += double(timerSteps) * timerMs;
    f.leastMs = f.floorMs + (quick ? 0.0 : double(f.transactions) * kByteGapMs);
    return f;
}

void report(benchmark::State& state, const TVisit& v, const TFloor& f, const char* what)
{
    state.counters["rows_read"] = v.result.rowsRead;
    state.counters["rows_added"] = v.result.join.added;
    state.counters["transactions"] = v.wire.transactions;
    state.counters["needed"] = f.transactions;
    state.counters["retries"] = v.wire.retries;
    state.counters["measured_s"] = v.measuredMs / 1000;
    state.counters["floor_s"] = f.floorMs / 1000;
    state.counters["least_s"] = f.leastMs / 1000;
    state.counters["floor_ratio"] = v.measuredMs / f.floorMs;
    state.counters["ratio"] = v.measuredMs / f.leastMs;
    QString commands;
    for (const auto& [cmd, n] : v.wire.commands) commands += QStringLiteral("%1x%2 ").arg(n).arg(cmd);
    state.SetLabel(QStringLiteral("%1; %2; commands (count x number): %3")
                       .arg(QLatin1String(what), v.result.line, commands.trimmed())
                       .toStdString());
    if (v.result.end != TReadEnd::Completed || v.wire.retries != 0 || v.wire.failures != 0)
        state.SkipWithError("the read did not run clean");
}

// FAST: a logger of 10 272 rows read once (unpaced), then visited with 12 288.
void BM_HistoryRevisitPages(benchmark::State& state)
{
    const bool quick = state.range(0) != 0;
    QTemporaryDir dir;
    QString error;
    auto history = TSqlHistoryStore::OpenFile(dir.filePath("history.sqlite"), error);
    visit(*history, TEmuProtocol::Fast, 12288 - 2016, TRevisitRead::TKind::All, false, true);
    TVisit v;
    for (auto _ : state) v = visit(*history, TEmuProtocol::Fast, 12288, TRevisitRead::TKind::NewRows, true, quick);
    // The join row's page to the page being written, with the open, the layout and the close.
    const int pages = 2047 - (12288 - 2016 - 1) / 6 + 1;
    const TFloor f = floorOf(v.wire, {{100, 2}, {105, 1}, {106, pages}}, 57600, 10, 0, 0, quick);
    report(state, v, f, quick ? "quick replies" : "replies end at the byte gap");
}
BENCHMARK(BM_HistoryRevisitPages)->Arg(0)->Arg(1)->ArgName("quick")->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The same logger read whole, as a first visit does.
void BM_HistoryFullReadPages(benchmark::State& state)
{
    const bool quick = state.range(0) != 0;
    QTemporaryDir dir;
    QString error;
    auto history = TSqlHistoryStore::OpenFile(dir.filePath("history.sqlite"), error);
    TVisit v;
    for (auto _ : state) v = visit(*history, TEmuProtocol::Fast, 12288, TRevisitRead::TKind::All, true, quick);
    const TFloor f = floorOf(v.wire, {{100, 2}, {105, 1}, {106, 2048}}, 57600, 10, 0, 0, quick);
    report(state, v, f, quick ? "quick replies" : "replies end at the byte gap");
}
BENCHMARK(BM_HistoryFullReadPages)->Arg(1)->ArgName("quick")->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// HART: 200 new rows after 100 held ones.
void BM_HistoryRevisitRecords(benchmark::State& state)
{
    const bool quick = state.range(0) != 0;
    QTemporaryDir dir;
    QString error;
    auto history = TSqlHistoryStore::OpenFile(dir.filePath("history.sqlite"), error);
    visit(*history, TEmuProtocol::Hart, 100, TRevisitRead::TKind::All, false, true);
    TVisit v;
    for (auto _ : state) v = visit(*history, TEmuProtocol::Hart, 300, TRevisitRead::TKind::NewRows, true, quick);
    // Open, one seek, the join row and 200 more, close; a timer step before each read after
    // the first and before the close.
    const TFloor f = floorOf(v.wire, {{160, 2}, {163, 1}, {164, 201}}, 1200, 11, 201, v.readerInterval, quick);
    report(state, v, f, quick ? "quick replies" : "replies end at the byte gap");
}
BENCHMARK(BM_HistoryRevisitRecords)->Arg(0)->Arg(1)->ArgName("quick")->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// ---- a million rows ----------------------------------------------------------------------

THART_PAS_LOG_Row siteRow(qint64 write, int transmitter)
{
    THART_PAS_LOG_Row r;
    r.datetime = *TryEncodeDateTime(2016, 1, 1) + double(write) * 5 / 1440.0;
    r.index = quint16(write);
    r.event = 7;
    r.eventstr = "SCHEDULED";
    r.PV = 40.0 + 10.0 * std::sin(double(write + transmitter * 977) / 288.0 * 6.283);
    r.LEV = 0.2 + r.PV / 1000.0;
    r.DIST = 1.2 - r.LEV;
    r.DISTLEVunitstr = "m";
    r.PVunitstr = "l/s";
    r.TOT1 = 12000.0 + double(write) * 12.0;
    r.TOT2 = 100.0 + double(write) * 12.0;
    r.TOTunitstr = "m3";
    r.temperature = 12.0 + double(write % 288) / 24.0;
    r.temperatureunitstr = "Cgrad";
    r.current = 4.0 + r.PV / 25.0;
    r.es.status = 0x4005;
    r.SNratio = quint8(30 + write % 20);
    return r;
}

TVisitStart importVisit(int transmitter)
{
    TVisitStart s;
    s.device = TDeviceKey{96, 81, quint32(74565 + transmitter)};
    s.started = QDateTime::currentDateTimeUtc();
    s.protocol = "fast";
    s.adapter = "none";
    s.programVersion = "bench";
    return s;
}

// Rows [from, from + count) of a transmitter as one visit, committed at once or batch by batch.
double addRead(THistoryStore& store, int transmitter, qint64 from, int count, bool oneTransaction)
{
    THistoryFeed feed(store, importVisit(transmitter), THistoryFeed::TStartsAt::Oldest);
    feed.SetOneTransaction(oneTransaction);
    QElapsedTimer t;
    t.start();
    feed.Begin();
    for (qint64 w = from; w < from + count; ++w) feed.AddRow(siteRow(w, transmitter));
    feed.Finish(TVisitEnd::Completed, std::nullopt, {});
    return msSince(t);
}

void BM_HistoryMillionRows(benchmark::State& state)
{
    constexpr int kTransmitters = 4, kPerTransmitter = 250000, kRead = 12288;
    QTemporaryDir dir;
    const QString file = dir.filePath("history.sqlite");
    QString error;
    auto store = TSqlHistoryStore::OpenFile(file, error);
    QElapsedTimer built;
    built.start();
    for (int t = 0; t < kTransmitters; ++t)
        for (qint64 w = 0; w < kPerTransmitter; w += kRead)
            addRead(*store, t, w, int(qMin<qint64>(kRead, kPerTransmitter - w)), true);
    state.counters["build_s"] = msSince(built) / 1000;

    double oneMs = 0, batchedMs = 0, exportMs = 0, listMs = 0, cliMs = 0;
    qint64 monthRows = 0;
    for (auto _ : state) {
        oneMs = addRead(*store, 0, kPerTransmitter, kRead, true);
        batchedMs = addRead(*store, 1, kPerTransmitter, kRead, false);

        // One month of transmitter 2, as `history export --csv` writes it.
        const qint64 from = DateTimeToStamp(QDateTime(QDate(2017, 3, 1), QTime(0, 0), Qt::UTC));
        const qint64 to = DateTimeToStamp(QDateTime(QDate(2017, 4, 1), QTime(0, 0), Qt::UTC)) - 1;
        QElapsedTimer t;
        t.start();
        THistoryPeriod period(*store, TDeviceKey{96, 81, 74567}, from, to);
        period.Count(monthRows);
        ExportCsv(dir.filePath("month.csv"), int(monthRows), [&](int i) { return LogRecordFromRow(period.RowAt(i)); }, {});
        exportMs = msSince(t);

        // `history list`: open the file, ask for the transmitters.
        t.restart();
        {
            auto fresh = TSqlHistoryStore::OpenFile(file, error);
            std::vector<TTransmitterSummary> list;
            fresh->Transmitters(0, 500, list);
        }
        listMs = msSince(t);
        t.restart();
        QProcess cli;
        cli.start(QStringLiteral(QUENTRY_CLI_PROGRAM), {"history", "list", "--history", file});
        cli.waitForFinished(60000);
        cliMs = msSince(t);
    }
    const qint64 rows = qint64(kTransmitters) * kPerTransmitter + 2 * kRead;
    const qint64 bytes = QFileInfo(file).size() + QFileInfo(file + "-wal").size();
    state.counters["rows"] = double(rows);
    state.counters["add_read_one_tx_ms"] = oneMs;
    state.counters["add_read_batched_ms"] = batchedMs;
    state.counters["month_rows"] = double(monthRows);
    state.counters["export_month_csv_ms"] = exportMs;
    state.counters["list_ms"] = listMs;
    state.counters["list_cli_ms"] = cliMs;
    state.counters["mb_per_million_rows"] = double(bytes) / 1e6 / (double(rows) / 1e6);
    state.SetLabel("add_read_batched: the same read committed as a read commits it, a batch of rows at a time; "
                   "list_cli: the quentry-cli process, start to end");
}
BENCHMARK(BM_HistoryMillionRows)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
