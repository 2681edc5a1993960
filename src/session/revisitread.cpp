#include "revisitread.h"

#include "logtexts.h"

#include <QTimer>
#include <set>

namespace quentry {
namespace {

constexpr quint8 kOpen = 1;
constexpr quint8 kClose = 0;
constexpr int kProbeRereads = 3; // a probe that fails its row check is read this often

bool sameRow(const THART_PAS_LOG_Row& a, const TStoredRow& b)
{
    const THistoryRow h = THistoryRow::From(a);
    return h.stamp == b.stamp && h.index == b.index && h.digest == b.digest;
}

TVisitEnd visitEnd(TReadEnd e, bool interrupted)
{
    if (interrupted) return TVisitEnd::Interrupted;
    switch (e) {
    case TReadEnd::Completed: return TVisitEnd::Completed;
    case TReadEnd::Stopped: return TVisitEnd::Stopped;
    default: return TVisitEnd::CutShort;
    }
}

} // namespace

QString PlainReadResultLine(int rows) { return ResultRecText(rows); }

TRevisitRead::TRevisitRead(TDeviceAccess& access, TLOGGEREngine& reader) : FAccess(access), FReader(reader) {}

TRevisitRead::~TRevisitRead()
{
    if (FActive) FReader.Abort();
}

void TRevisitRead::Stop()
{
    FStopAsked = true;
    FReader.Stop();
}

void TRevisitRead::Abort()
{
    FStopAsked = true;
    FReader.Abort();
}

bool TRevisitRead::Start(const TOptions& options)
{
    if (FActive || FReader.Active()) return false;
    FOptions = options;
    FResult = TResult();
    FFeed.reset();
    FKnown.reset();
    FStopAsked = false;
    FRestart = false;
    FNote.clear();
    FAddressing = FAccess.addressing();
    FActive = true;
    FAccess.engine().SetHeartBeatActive(false);

    TPlan plan;
    if (FOptions.kind == TKind::NewRows && FOptions.history) plan = locate();
    if (stopAsked()) {
        FResult.end = TReadEnd::Stopped;
        finish();
        return true;
    }
    if (!FOptions.history) {
        run(plan);
        return true;
    }
    if (!beginFeed(plan.start ? THistoryFeed::TStartsAt::JoinRow : THistoryFeed::TStartsAt::Oldest)) {
        FActive = false;
        return false;
    }
    run(plan);
    return true;
}

bool TRevisitRead::beginFeed(THistoryFeed::TStartsAt from)
{
    TVisitStart visit = FOptions.visit;
    visit.kind = FOptions.kind == TKind::NewRows ? TVisitKind::New : TVisitKind::All;
    FFeed = std::make_unique<THistoryFeed>(*FOptions.history, visit, from);
    if (FFeed->Begin()) return true;
    FResult.historyError = FFeed->Error();
    FFeed.reset();
    return false;
}

// ---- finding the join row --------------------------------------------------------------

TRevisitRead::TPlan TRevisitRead::locate()
{
    TStoredRow known;
    if (!FOptions.history->NewestRow(FOptions.visit.device, known)) {
        if (!FOptions.history->LastError().isEmpty()) return {std::nullopt, FOptions.history->LastError()};
        if (OnNote) OnNote(QStringLiteral("a first visit: the history holds no row of this transmitter yet"));
        return {};
    }
    TOstraDevice& device = FAccess.device();
    THART_PAS_LOG_OpenClose open;
    open.mode = kOpen;
    if (device.Log_OpenClose(FAddressing, open) != FRERR_OK)
        return {std::nullopt, QStringLiteral("the logger did not open for the search of the join row: everything was read")};
    TPlan plan = FAccess.engine().Protokoll() == prt_MODE3 ? locateInPages(known) : locateInRecords(known);
    THART_PAS_LOG_OpenClose close;
    close.mode = kClose;
    device.Log_OpenClose(FAddressing, close);
    if (plan.start) FKnown = known;
    if (OnNote && !stopAsked() && (plan.start || !plan.note.isEmpty()))
        OnNote(plan.start ? QStringLiteral("joining at index %1 (%2)")
                                .arg(known.index)
                                .arg(StampToDateTime(known.stamp).toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                          : plan.note);
    return plan;
}

bool TRevisitRead::page(quint16 number, TFAST_PAS_LOG_RdPage& out)
{
    out.pageindex = number;
    return FAccess.device().FastLog_RdPage(FAddressing, out) == FRERR_OK;
}

// Over FAST: the page of the join row follows from the layout and the index distance from
// the newest row the logger holds.
TRevisitRead::TPlan TRevisitRead::locateInPages(const TStoredRow& known)
{
    THART_PAS_LOG_RdLFData layout;
    if (FAccess.device().Log_RdLFData(FAddressing, layout) != FRERR_OK)
        return {std::nullopt, QStringLiteral("the logger layout did not read: everything was read")};
    const int pages = layout.totalpagecount;
    const int perPage = layout.rowperpage >= 1 && layout.rowperpage <= kRowsPerPage ? layout.rowperpage : kRowsPerPage;
    const bool wrapped = layout.status & 0x10;
    if (pages == 0 || layout.page >= pages)
        return {std::nullopt, QStringLiteral("the logger layout makes no sense: everything was read")};
    const int capacity = pages * perPage;
    const int sor = qMin<int>(layout.sor, perPage);
    int newest = layout.page * perPage + sor - 1; // the slot of the newest row
    if (newest < 0) newest = wrapped ? capacity - 1 : -1;
    if (newest < 0) return {std::nullopt, QStringLiteral("the logger is empty")};
    const int readable = wrapped ? (pages - 1) * perPage + sor : newest + 1;
    const int oldest = wrapped ? (newest - readable + 1 + capacity) % capacity : 0;
    // Distance of a slot from the oldest readable one.
    auto age = [&](int slot) { return (slot - oldest + capacity) % capacity; };

    auto rowAt = [&](int slot, THART_PAS_LOG_Row& row) {
        TFAST_PAS_LOG_RdPage p;
        for (int attempt = 0; attempt < kProbeRereads && !stopAsked(); ++attempt) {
            if (!page(quint16(slot / perPage), p)) continue;
            row = p.rows[size_t(slot % perPage)];
            if (row.event != kChecksumErrorEvent) return true;
        }
        return false;
    };
    THART_PAS_LOG_Row row;
    if (!rowAt(newest, row)) return {std::nullopt, QStringLiteral("the newest row of the logger did not read: everything was read")};
    const int distance = quint16(row.index - known.index);
    if (distance >= readable)
        return {std::nullopt, QStringLiteral("the ring went round since the newest held row (index %1): everything the "
                                             "logger holds was read")
                                  .arg(known.index)};
    int slot = (newest - distance + capacity) % capacity;
    std::set<int> probed;
    for (int probe = 0; probe < kMaxProbes && !stopAsked(); ++probe) {
        if (!probed.insert(slot).second || !rowAt(slot, row)) break;
        if (row.index == known.index) {
            if (!sameRow(row, known)) break;
            return {TReadStart{0, quint16(slot / perPage), slot % perPage}, {}};
        }
        // An index gap moved it: step by the index difference, within what the ring holds.
        const int next = age(slot) + qint16(quint16(known.index - row.index));
        if (next < 0 || next >= readable) break;
        slot = (oldest + next) % capacity;
    }
    return {std::nullopt, QStringLiteral("the newest held row (index %1) was not where the logger should hold it: "
                                         "everything was read")
                              .arg(known.index)};
}

// Over HART: the position of the join row from the oldest follows from the logger's total
// and the index distance from its newest row.
TRevisitRead::TPlan TRevisitRead::locateInRecords(const TStoredRow& known)
{
    TOstraDevice& device = FAccess.device();
    THART_PAS_LOG_Seek seek;
    if (SeekLoggerTo(device, FAddressing, 0, seek) != FRERR_OK)
        return {std::nullopt, QStringLiteral("the logger did not answer the search of the join row: everything was read")};
    const int total = seek.lstat.total;
    if (total == 0) return {std::nullopt, QStringLiteral("the logger is empty")};
    auto rowAt = [&](int position, THART_PAS_LOG_Row& row) {
        for (int attempt = 0; attempt < kProbeRereads && !stopAsked(); ++attempt) {
            THART_PAS_LOG_Seek s;
            if (SeekLoggerTo(device, FAddressing, position, s) != FRERR_OK) continue;
            THART_PAS_LOG_RdRecord r;
            r.mode = 0; // the row under the pointer
            if (device.Log_RdRecord(FAddressing, r) != FRERR_OK || r.lstat.errorcode != 0) continue;
            row = r.row;
            return true;
        }
        return false;
    };
    THART_PAS_LOG_Row row;
    if (!rowAt(total - 1, row)) return {std::nullopt, QStringLiteral("the newest row of the logger did not read: everything was read")};
    const int distance = quint16(row.index - known.index);
    if (distance >= total)
        return {std::nullopt, QStringLiteral("the ring went round since the newest held row (index %1): everything the "
                                             "logger holds was read")
                                  .arg(known.index)};
    int position = total - 1 - distance;
    std::set<int> probed;
    for (int probe = 0; probe < kMaxProbes && !stopAsked(); ++probe) {
        if (!probed.insert(position).second || !rowAt(position, row)) break;
        if (row.index == known.index) {
            if (!sameRow(row, known)) break;
            return {TReadStart{position, 0, 0}, {}};
        }
        position += qint16(quint16(known.index - row.index));
        if (position < 0 || position >= total) break;
    }
    return {std::nullopt, QStringLiteral("the newest held row (index %1) was not where the logger should hold it: "
                                         "everything was read")
                              .arg(known.index)};
}

// ---- the read ----------------------------------------------------------------------------

void TRevisitRead::run(const TPlan& plan)
{
    FNote = plan.note;
    FFirstRow = true;
    FReader.OnRdLogger = [this](TLOGGEREngine*, const THART_PAS_LOG_Row& row) { onRow(row); };
    FReader.OnLost = [this](TLOGGEREngine*, int count, TRowLoss cause) {
        if (FFeed && cause == TRowLoss::Unreadable) FFeed->NoteUnreadable(count);
    };
    FReader.OnFinish = [this](TLOGGEREngine*) { onFinish(); };
    if (plan.start) FReader.StartNextReadAt(*plan.start);
    if (FAccess.engine().Protokoll() == prt_MODE3) {
        FReader.AssyReadByPage();
        if (FRestart) { // the join row did not come back where it was found: read everything
            FRestart = false;
            if (FOptions.history && !beginFeed(THistoryFeed::TStartsAt::Oldest)) {
                FResult.end = TReadEnd::Aborted;
                finish();
                return;
            }
            run(TPlan{std::nullopt, FNote});
        }
    } else {
        FReader.InitReadByRecord();
    }
}

void TRevisitRead::onRow(const THART_PAS_LOG_Row& row)
{
    if (FFirstRow && FKnown) {
        FFirstRow = false;
        if (!sameRow(row, *FKnown)) {
            // The logger moved between the search and the read: trust no position.
            FRestart = true;
            FKnown.reset();
            FNote = QStringLiteral("the join row was not where it had been found: everything was read");
            if (FFeed) FFeed->Finish(TVisitEnd::CutShort, std::nullopt, FNote);
            FFeed.reset();
            FReader.Abort();
            return;
        }
        FResult.joined = true;
    }
    FFirstRow = false;
    ++FResult.rowsRead;
    if (FFeed) FFeed->AddRow(row);
    const int toCome = qMax(0, int(FReader.TotalRecordCount()) - 1 - int(FReader.FilePointerPos()));
    if (OnRow) OnRow(row, toCome);
}

void TRevisitRead::onFinish()
{
    if (FRestart) {
        if (FAccess.engine().Protokoll() == prt_MODE3) return; // run() reads again once the loop has returned
        FRestart = false;
        QTimer::singleShot(0, [this] {
            if (FOptions.history && !beginFeed(THistoryFeed::TStartsAt::Oldest)) {
                FResult.end = TReadEnd::Aborted;
                finish();
                return;
            }
            run(TPlan{std::nullopt, FNote});
        });
        return;
    }
    FResult.end = FReader.ReadEnd();
    FResult.lost = FReader.LostRecordCount();
    finish();
}

void TRevisitRead::finish()
{
    FReader.OnRdLogger = nullptr;
    FReader.OnLost = nullptr;
    FReader.OnFinish = nullptr;
    const bool interrupted = FOptions.interrupted && FOptions.interrupted();
    TJoinSummary& j = FResult.join;
    if (FFeed) {
        if (FResult.joined) j.joinedIndex = FFeed->NewestBefore() ? std::optional<int>(FFeed->NewestBefore()->index) : std::nullopt;
        QStringList notes;
        if (!FNote.isEmpty() && FOptions.kind == TKind::NewRows) notes << FNote;
        if (FFeed->LoggerCleared()) notes << QStringLiteral("the logger was cleared since the newest held row");
        if (FFeed->ClockSetSeen()) notes << QStringLiteral("the clock was set since the last visit");
        j.note = notes.join(QStringLiteral("; "));
        FResult.historyKept = FFeed->Finish(visitEnd(FResult.end, interrupted), j.joinedIndex, j.note);
        if (!FResult.historyKept) FResult.historyError = FFeed->Error();
        j.added = FFeed->Added();
        j.gaps = FFeed->Gaps();
        j.missing = FFeed->MissingRows();
        j.beside = FFeed->Beside();
        FResult.line = JoinResultLine(j);
    } else {
        FResult.line = PlainReadResultLine(FResult.rowsRead);
    }
    FActive = false;
    if (OnFinish) OnFinish(FResult);
}

} // namespace quentry
