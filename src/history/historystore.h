#pragma once
// THistoryStore: the site history behind a small interface, so the feed that joins rows,
// the commands and the window never name the database underneath. Every call is one
// request or one transaction; a false result leaves the reason in LastError(), which
// names the history.
#include "historyrow.h"
#include "historytypes.h"

#include <vector>

namespace quentry {

// What a visit starts with.
struct TVisitStart
{
    TDeviceKey device;
    QDateTime started; // UTC
    QString protocol, adapter;
    TVisitKind kind = TVisitKind::All;
    QString programVersion;
    std::optional<TClockReading> clock;
    std::optional<double> driftSecondsPerDay;
};

// One unit of work of a feed: rows in the order read, the gaps they showed, and the
// counts of rows the visit found missing. Written in one transaction, all or nothing.
struct THistoryBatch
{
    qint64 visitId = 0;
    TDeviceKey device;
    std::vector<THistoryRow> rows;
    std::vector<TGapRecord> gaps;
};

// How a batch joined the record.
struct TBatchResult
{
    enum class TRowFate : quint8 { Added, Known, BesideOther };
    std::vector<TRowFate> fates; // one per row of the batch
    int added = 0;               // rows the record did not hold (BesideOther included)
    int known = 0;               // rows it held already
    int beside = 0;              // rows with the stamp and index of a held row but other content
    int gapRows = 0;             // rows of the batch's gaps that the record still lacks
};

class THistoryStore
{
public:
    virtual ~THistoryStore() = default;

    // The file or server, as messages name it.
    virtual QString Where() const = 0;
    virtual QString LastError() const = 0;

    virtual bool BeginVisit(const TVisitStart& start, qint64& visitId) = 0;
    virtual bool CommitBatch(const THistoryBatch& batch, TBatchResult& result) = 0;
    virtual bool FinishVisit(qint64 visitId, TVisitEnd ended, std::optional<int> joinedIndex, const QString& note) = 0;
    // A visit whose rows show that the clock was set since the reading it is compared with.
    virtual bool ClearDrift(qint64 visitId) = 0;

    // Transmitters in key order, `limit` from `offset`.
    virtual bool Transmitters(int offset, int limit, std::vector<TTransmitterSummary>& out) = 0;
    // False with an empty LastError() when the history knows no such transmitter.
    virtual bool Transmitter(const TDeviceKey& key, TTransmitterSummary& out) = 0;
    virtual bool Visits(const TDeviceKey& key, int offset, int limit, std::vector<TVisitRecord>& out) = 0;
    virtual bool Gaps(const TDeviceKey& key, int offset, int limit, std::vector<TGapRecord>& out) = 0;
    // The newest row by time and index; false with an empty LastError() when there is none.
    virtual bool NewestRow(const TDeviceKey& key, TStoredRow& out) = 0;
    // Whether the record holds exactly this row.
    virtual bool HoldsRow(const TDeviceKey& key, const THistoryRow& row, bool& held) = 0;
    // Rows with from <= stamp <= to, in time and index order: at most `limit` after the
    // row `after` (none: from the first).
    virtual bool CountRows(const TDeviceKey& key, qint64 from, qint64 to, qint64& count) = 0;
    virtual bool Rows(const TDeviceKey& key, qint64 from, qint64 to, const TStoredRow* after, int limit,
                      std::vector<TStoredRow>& out) = 0;
    // The latest clock readings of the transmitter, newest first.
    virtual bool ClockReadings(const TDeviceKey& key, int limit, std::vector<TClockReading>& out) = 0;
};

} // namespace quentry
