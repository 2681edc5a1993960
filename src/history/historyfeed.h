#pragma once
// THistoryFeed: one visit's rows joining a transmitter's record, in the order the logger
// (or an image file) gives them, oldest first. It works out the holes the rows show (an
// index skipped, rows given up as unreadable, the ring gone round since the record's
// newest row) and commits rows as they arrive, in small transactions: a batch goes in once
// it holds kRowsPerCommit rows or kCommitAfterMs after its first row, so a crash loses at
// most the rows of the last fifth of a second (and never more than kRowsPerCommit).
#include "historystore.h"

#include <QObject>
#include <QTimer>
#include <vector>

namespace quentry {

class THistoryFeed : public QObject
{
    Q_OBJECT
public:
    static constexpr int kRowsPerCommit = 48;
    static constexpr int kCommitAfterMs = 200;

    // Where the rows start: at the oldest row the logger or file holds (so rows the
    // record lacks before it were overwritten), or at the row a revisit joins at.
    enum class TStartsAt { Oldest, JoinRow };

    THistoryFeed(THistoryStore& store, TVisitStart start, TStartsAt from);
    ~THistoryFeed() override;

    // Adds the visit; false (reason in Error()) when the history does not take it.
    bool Begin();
    // An import goes in as one transaction at Finish instead of batch by batch.
    void SetOneTransaction(bool one) { FOneTransaction = one; }

    void AddRow(const THART_PAS_LOG_Row& row);
    // Rows the reader gave up on as unreadable; the next row's index says which.
    void NoteUnreadable(int count) { FUnreadablePending += count; }
    // Commits what is pending now; false when the history refused it (kept for the next try).
    bool Flush();
    // Commits the rest, records a trailing hole and how the visit ended.
    bool Finish(TVisitEnd ended, std::optional<int> joinedIndex, const QString& note);

    qint64 VisitId() const { return FVisitId; }
    const TVisitStart& Start() const { return FStart; }
    QString Error() const { return FError; }
    int RowsFed() const { return FFed; }
    int Added() const { return FAdded; }
    int Known() const { return FKnown; }
    int Beside() const { return FBeside; }
    // Rows of this visit's holes that the record still lacks.
    int MissingRows() const { return FMissing; }
    // Every hole this visit found, as found (before other records filled any of it).
    const std::vector<TGapRecord>& Gaps() const { return FAllGaps; }
    // Rows held beside another with the same stamp and index (the first few).
    const std::vector<TStoredRow>& BesideRows() const { return FBesideRows; }
    // The record's newest row when the visit began.
    const std::optional<TStoredRow>& NewestBefore() const { return FNewest; }
    // The first row was a fresh start of a logger cleared since the record's newest row.
    bool LoggerCleared() const { return FCleared; }
    // A new row says the clock was set: the drift against an earlier visit means nothing.
    bool ClockSetSeen() const { return FClockSet; }

private:
    void firstRow(const THistoryRow& row);
    void gapBefore(const THistoryRow& row);
    bool commit(std::vector<THistoryRow> rows, std::vector<TGapRecord> gaps);

    THistoryStore& FStore;
    TVisitStart FStart;
    TStartsAt FFrom;
    qint64 FVisitId = 0;
    bool FOneTransaction = false;
    QString FError;
    QTimer FTimer;

    std::optional<TStoredRow> FNewest;
    std::optional<THistoryRow> FPrev; // the last row fed
    int FUnreadablePending = 0;
    std::vector<THistoryRow> FPendingRows;
    std::vector<TGapRecord> FPendingGaps;

    int FFed = 0, FAdded = 0, FKnown = 0, FBeside = 0, FMissing = 0;
    std::vector<TGapRecord> FAllGaps;
    std::vector<TStoredRow> FBesideRows;
    bool FCleared = false;
    bool FClockSet = false;
};

} // namespace quentry
