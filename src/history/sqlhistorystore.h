#pragma once
// The site history on a database reached through Qt SQL: today an SQLite file, one per
// user. One named connection per store, used from the thread that opened it. Writes are
// whole units of work in one transaction each, tried again as a whole when the database
// is busy with another writer.
#include "historysql.h"
#include "historystore.h"

#include <QSqlDatabase>
#include <map>
#include <memory>

class QSqlQuery;
class QSqlError;

namespace quentry {

class TSqlHistoryStore final : public THistoryStore
{
public:
    // How long a statement waits for another writer before it counts as busy.
    static constexpr int kDefaultBusyTimeoutMs = 5000;

    // Opens the history file at path, creating it (readable by its user only) when it does
    // not exist. A file that is no history, a damaged one or one made by a newer program is
    // refused (null, the reason in error, naming the file) and never changed.
    static std::unique_ptr<TSqlHistoryStore> OpenFile(const QString& path, QString& error,
                                                      int busyTimeoutMs = kDefaultBusyTimeoutMs);
    ~TSqlHistoryStore() override;

    QString Where() const override { return FWhere; }
    QString LastError() const override { return FError; }

    bool BeginVisit(const TVisitStart& start, qint64& visitId) override;
    bool CommitBatch(const THistoryBatch& batch, TBatchResult& result) override;
    bool FinishVisit(qint64 visitId, TVisitEnd ended, std::optional<int> joinedIndex, const QString& note) override;
    bool ClearDrift(qint64 visitId) override;

    bool Transmitters(int offset, int limit, std::vector<TTransmitterSummary>& out) override;
    bool Transmitter(const TDeviceKey& key, TTransmitterSummary& out) override;
    bool Visits(const TDeviceKey& key, int offset, int limit, std::vector<TVisitRecord>& out) override;
    bool Gaps(const TDeviceKey& key, int offset, int limit, std::vector<TGapRecord>& out) override;
    bool NewestRow(const TDeviceKey& key, TStoredRow& out) override;
    bool HoldsRow(const TDeviceKey& key, const THistoryRow& row, bool& held) override;
    bool CountRows(const TDeviceKey& key, qint64 from, qint64 to, qint64& count) override;
    bool Rows(const TDeviceKey& key, qint64 from, qint64 to, const TStoredRow* after, int limit,
              std::vector<TStoredRow>& out) override;
    bool ClockReadings(const TDeviceKey& key, int limit, std::vector<TClockReading>& out) override;

    // Makes the Nth database request from now fail, for tests of the error paths (0: none).
    void FailRequestForTest(int nth) { FFailCountdown = nth; }

private:
    TSqlHistoryStore(const historysql::TDialect& dialect, QString connection, QString where);
    bool initialise();
    bool createSchema();

    QSqlDatabase db() const;
    bool prepare(QSqlQuery& q, const QString& sql);
    bool run(QSqlQuery& q, const char* what);
    bool fail(const QSqlError& e, const char* what);
    // Runs work inside a write transaction; the whole of it again when the database was busy.
    template <class F> bool unitOfWork(F&& work);
    // The transmitter's id; with create it is added when new (inside a unit of work).
    bool transmitterId(const TDeviceKey& key, bool create, qint64& id);
    // Splits the gaps near [lo, hi] around the rows the record now holds; returns the rows
    // of `own` gaps (those of the batch) that remain missing.
    bool fillGaps(qint64 transmitter, qint64 lo, qint64 hi, const std::vector<TGapRecord>& own, int& ownMissing);
    bool summary(QSqlQuery& q, TTransmitterSummary& s);

    const historysql::TDialect& FDialect;
    const QString FConnection;
    const QString FWhere;
    QString FError;
    QString FNativeCode;
    std::map<TDeviceKey, qint64> FIds;
    int FFailCountdown = 0;
};

} // namespace quentry
