#include "historyfeed.h"

namespace quentry {
namespace {

constexpr quint8 kEventClear = 1;
constexpr quint8 kEventRtcDefault = 22;
constexpr quint8 kEventRtcSet = 23;
constexpr int kBesideRowsKept = 10;

// Steps forward on the 16-bit index circle; half a circle or more counts as going back.
int forwardStep(quint16 from, quint16 to)
{
    const int step = quint16(to - from);
    return step < 0x8000 ? step : -1;
}

bool after(const THistoryRow& row, const TStoredRow& than)
{
    return row.stamp > than.stamp || (row.stamp == than.stamp && row.index > than.index);
}

} // namespace

THistoryFeed::THistoryFeed(THistoryStore& store, TVisitStart start, TStartsAt from)
    : FStore(store), FStart(std::move(start)), FFrom(from)
{
    FTimer.setSingleShot(true);
    FTimer.setInterval(kCommitAfterMs);
    connect(&FTimer, &QTimer::timeout, this, [this] { Flush(); });
}

THistoryFeed::~THistoryFeed() = default;

bool THistoryFeed::Begin()
{
    TStoredRow newest;
    if (FStore.NewestRow(FStart.device, newest)) FNewest = newest;
    else if (!FStore.LastError().isEmpty()) return FError = FStore.LastError(), false;
    if (!FStore.BeginVisit(FStart, FVisitId)) return FError = FStore.LastError(), false;
    return true;
}

void THistoryFeed::AddRow(const THART_PAS_LOG_Row& row)
{
    const THistoryRow h = THistoryRow::From(row);
    if (FFed++ == 0) firstRow(h);
    else gapBefore(h);
    FUnreadablePending = 0;
    FPrev = h;
    FPendingRows.push_back(h);
    if (FOneTransaction) return;
    if (int(FPendingRows.size()) >= kRowsPerCommit) Flush();
    else if (!FTimer.isActive()) FTimer.start();
}

// The first row tells whether the ring went round since the record's newest row: read from
// the oldest row on, a first row the record lacks that lies after its newest means the rows
// between were overwritten before anyone read them.
void THistoryFeed::firstRow(const THistoryRow& row)
{
    if (FUnreadablePending > 0) {
        // The oldest rows did not read; the first good one says how many indexes they held.
        TGapRecord g;
        g.fromIndex = quint16(row.index - FUnreadablePending);
        g.toIndex = quint16(row.index - 1);
        g.before = row.stamp;
        g.cause = TGapCause::Unreadable;
        FPendingGaps.push_back(g);
        FAllGaps.push_back(g);
        return;
    }
    if (FFrom != TStartsAt::Oldest || !FNewest || !after(row, *FNewest)) return;
    bool held = false;
    if (!FStore.HoldsRow(FStart.device, row, held) || held) return;
    if (row.event == kEventClear) {
        FCleared = true; // a fresh start: the rows before the clear are the logger's past, not a hole
        return;
    }
    const int step = forwardStep(FNewest->index, row.index);
    if (step <= 1) return;
    TGapRecord g;
    g.fromIndex = quint16(FNewest->index + 1);
    g.toIndex = quint16(row.index - 1);
    g.after = FNewest->stamp;
    g.before = row.stamp;
    g.cause = TGapCause::Overwritten;
    FPendingGaps.push_back(g);
    FAllGaps.push_back(g);
}

void THistoryFeed::gapBefore(const THistoryRow& row)
{
    const int step = forwardStep(FPrev->index, row.index);
    if (step <= 1) return; // the next row, or the numbering went back (clock or logger reset)
    TGapRecord g;
    g.fromIndex = quint16(FPrev->index + 1);
    g.toIndex = quint16(row.index - 1);
    g.after = FPrev->stamp;
    g.before = row.stamp;
    g.cause = FUnreadablePending > 0 ? TGapCause::Unreadable : TGapCause::Missing;
    FPendingGaps.push_back(g);
    FAllGaps.push_back(g);
}

bool THistoryFeed::Flush()
{
    FTimer.stop();
    if (FPendingRows.empty() && FPendingGaps.empty()) return true;
    if (!commit(FPendingRows, FPendingGaps)) return false;
    FPendingRows.clear();
    FPendingGaps.clear();
    return true;
}

bool THistoryFeed::commit(std::vector<THistoryRow> rows, std::vector<TGapRecord> gaps)
{
    THistoryBatch batch;
    batch.visitId = FVisitId;
    batch.device = FStart.device;
    batch.rows = std::move(rows);
    batch.gaps = std::move(gaps);
    TBatchResult r;
    if (!FStore.CommitBatch(batch, r)) {
        FError = FStore.LastError();
        return false;
    }
    FAdded += r.added;
    FKnown += r.known;
    FBeside += r.beside;
    FMissing += r.gapRows;
    for (size_t i = 0; i < batch.rows.size(); ++i) {
        const THistoryRow& h = batch.rows[i];
        if (r.fates[i] == TBatchResult::TRowFate::Known) continue;
        if (h.event == kEventRtcSet || h.event == kEventRtcDefault) FClockSet = true;
        if (r.fates[i] == TBatchResult::TRowFate::BesideOther && int(FBesideRows.size()) < kBesideRowsKept) {
            TStoredRow s;
            s.stamp = h.stamp;
            s.index = h.index;
            s.digest = h.digest;
            FBesideRows.push_back(s);
        }
    }
    return true;
}

bool THistoryFeed::Finish(TVisitEnd ended, std::optional<int> joinedIndex, const QString& note)
{
    if (FUnreadablePending > 0 && FPrev) {
        // The newest rows never read: the hole runs from the last good row on.
        TGapRecord g;
        g.fromIndex = quint16(FPrev->index + 1);
        g.toIndex = quint16(FPrev->index + FUnreadablePending);
        g.after = FPrev->stamp;
        g.cause = TGapCause::Unreadable;
        FPendingGaps.push_back(g);
        FAllGaps.push_back(g);
        FUnreadablePending = 0;
    }
    bool ok = Flush();
    QString endNote = note;
    if (!ok) {
        // What the history could not take is named with the visit, which ends cut short.
        ended = TVisitEnd::CutShort;
        endNote = QStringLiteral("%1 row(s) not added: %2").arg(FPendingRows.size()).arg(FError);
    }
    if (FClockSet && FStart.driftSecondsPerDay && !FStore.ClearDrift(FVisitId)) {
        FError = FStore.LastError();
        ok = false;
    }
    if (!FStore.FinishVisit(FVisitId, ended, joinedIndex, endNote)) {
        if (ok) FError = FStore.LastError();
        return false;
    }
    return ok;
}

} // namespace quentry
