#include "sqlhistorystore.h"

#include "imagerow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>
#include <algorithm>
#include <atomic>
#include <limits>
#include <set>

namespace quentry {

using namespace historysql;

namespace {

constexpr int kMaxAttempts = 8;         // a busy database is tried again this often, backing off
constexpr int kStampsPerLookup = 400;   // bound parameters per lookup statement
constexpr int kRowsPerInsert = 150;     // six parameters a row
constexpr qint64 kNoStamp = std::numeric_limits<qint64>::max();

QVariant nullInt() { return QVariant(QMetaType(QMetaType::LongLong)); }
QVariant nullDouble() { return QVariant(QMetaType(QMetaType::Double)); }
template <class T> QVariant orNull(const std::optional<T>& v, QVariant null)
{
    return v ? QVariant::fromValue(*v) : null;
}
// An empty text, never NULL: a null QString binds as NULL.
QVariant text(const QString& s) { return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s); }
std::optional<qint64> optionalInt(const QVariant& v)
{
    return v.isNull() ? std::nullopt : std::optional<qint64>(v.toLongLong());
}

quint16 readBE16At(const QByteArray& b, int at) { return quint16(quint8(b[at]) << 8 | quint8(b[at + 1])); }
quint32 readBE32At(const QByteArray& b, int at)
{
    return quint32(quint8(b[at])) << 24 | quint32(quint8(b[at + 1])) << 16 | quint32(quint8(b[at + 2])) << 8 |
           quint8(b[at + 3]);
}

// Before SQLite sees a file: a missing one is created empty and private; an existing one
// must carry the SQLite header and be as long as that header says.
bool prepareFile(const QString& path, QString& error)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        error = QStringLiteral("%1 is not a file").arg(path);
        return false;
    }
    if (!info.exists()) {
        if (!QDir().mkpath(info.absolutePath())) {
            error = QStringLiteral("cannot create the directory %1 for the site history").arg(info.absolutePath());
            return false;
        }
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) return true;
            error = QStringLiteral("cannot make the site history %1 private: %2").arg(path, f.errorString());
            return false;
        }
        if (!QFileInfo::exists(path)) {
            error = QStringLiteral("cannot create the site history %1: %2").arg(path, f.errorString());
            return false;
        }
        // Another program made it meanwhile: it is checked like any existing file.
    }
    if (QFileInfo(path).size() == 0) return true; // nothing in it to lose: it becomes a history
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read the site history %1: %2").arg(path, f.errorString());
        return false;
    }
    const QByteArray head = f.read(100);
    if (head.size() < 100 || !head.startsWith(QByteArray("SQLite format 3\0", 16))) {
        error = QStringLiteral("%1 is not a Quentry site history (not an SQLite database); it was left as it is")
                    .arg(path);
        return false;
    }
    const quint16 rawPageSize = readBE16At(head, 16);
    const qint64 pageSize = rawPageSize == 1 ? 65536 : rawPageSize;
    const bool powerOfTwo = pageSize >= 512 && pageSize <= 65536 && (pageSize & (pageSize - 1)) == 0;
    const qint64 pages = readBE32At(head, 28);
    const bool pagesValid = readBE32At(head, 92) == readBE32At(head, 24) && pages > 0;
    // With a write-ahead log beside it the file may lag behind its header: the log holds the rest.
    const bool withLog = QFileInfo::exists(path + QStringLiteral("-wal"));
    const qint64 size = QFileInfo(path).size();
    if (!powerOfTwo || size % pageSize != 0 || (pagesValid && !withLog && size < pages * pageSize)) {
        error = QStringLiteral("the site history %1 is damaged (its size does not match its header); it was left "
                               "as it is")
                    .arg(path);
        return false;
    }
    return true;
}

std::atomic<int> gConnections{0};

} // namespace

TSqlHistoryStore::TSqlHistoryStore(const TDialect& dialect, QString connection, QString where)
    : FDialect(dialect), FConnection(std::move(connection)), FWhere(std::move(where))
{
}

TSqlHistoryStore::~TSqlHistoryStore()
{
    {
        QSqlDatabase d = QSqlDatabase::database(FConnection, false);
        if (d.isOpen()) d.close();
    }
    QSqlDatabase::removeDatabase(FConnection);
}

std::unique_ptr<TSqlHistoryStore> TSqlHistoryStore::OpenFile(const QString& path, QString& error, int busyTimeoutMs)
{
    const TDialect& dialect = TDialect::Sqlite();
    if (!QSqlDatabase::isDriverAvailable(dialect.driver)) {
        error = QStringLiteral("the SQLite driver of Qt SQL is missing (Debian package libqt6sql6-sqlite)");
        return nullptr;
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!prepareFile(absolute, error)) return nullptr;
    const QString connection = QStringLiteral("quentry-history-%1").arg(++gConnections);
    std::unique_ptr<TSqlHistoryStore> store(new TSqlHistoryStore(dialect, connection, absolute));
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(dialect.driver, connection);
        d.setDatabaseName(absolute);
        d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
        if (!d.open()) {
            error = QStringLiteral("cannot open the site history %1: %2").arg(absolute, d.lastError().text());
            return nullptr;
        }
    }
    if (!store->initialise()) {
        error = store->FError;
        return nullptr;
    }
    return store;
}

QSqlDatabase TSqlHistoryStore::db() const { return QSqlDatabase::database(FConnection, false); }

bool TSqlHistoryStore::fail(const QSqlError& e, const char* what)
{
    FNativeCode = e.nativeErrorCode();
    if (FDialect.damaged(FNativeCode))
        FError = QStringLiteral("the site history %1 is damaged (%2: %3); it was left as it is")
                     .arg(FWhere, QLatin1String(what), e.databaseText());
    else
        FError = QStringLiteral("site history %1: %2 failed: %3").arg(FWhere, QLatin1String(what), e.text());
    return false;
}

bool TSqlHistoryStore::prepare(QSqlQuery& q, const QString& sql)
{
    q = QSqlQuery(db());
    q.setForwardOnly(true);
    if (q.prepare(sql)) return true;
    return fail(q.lastError(), "preparing a statement");
}

bool TSqlHistoryStore::run(QSqlQuery& q, const char* what)
{
    if (FFailCountdown > 0 && --FFailCountdown == 0) {
        FNativeCode.clear();
        FError = QStringLiteral("site history %1: %2 failed: made to fail by a test").arg(FWhere, QLatin1String(what));
        return false;
    }
    if (q.exec()) return true;
    return fail(q.lastError(), what);
}

template <class F> bool TSqlHistoryStore::unitOfWork(F&& work)
{
    for (int attempt = 1;; ++attempt) {
        QSqlQuery q(db());
        bool ok = q.exec(FDialect.beginWrite);
        if (!ok) fail(q.lastError(), "starting a transaction");
        if (ok) {
            ok = work();
            if (ok && !q.exec(QStringLiteral("COMMIT"))) ok = fail(q.lastError(), "committing");
            if (ok) return true;
            const QString error = FError, code = FNativeCode;
            QSqlQuery(db()).exec(QStringLiteral("ROLLBACK"));
            FError = error;
            FNativeCode = code;
            FIds.clear(); // an id made inside the rolled-back work is gone again
        }
        if (!FDialect.retryable(FNativeCode) || attempt >= kMaxAttempts) return false;
        QThread::msleep(ulong(10) << qMin(attempt, 6)); // 20 ms .. 640 ms
    }
}

bool TSqlHistoryStore::initialise()
{
    for (const QString& s : FDialect.sessionSetup) {
        QSqlQuery q(db());
        if (!q.exec(s)) return fail(q.lastError(), "setting up the connection");
    }
    QSqlQuery q(db());
    if (!q.exec(FDialect.tableNames)) return fail(q.lastError(), "reading the list of tables");
    std::set<QString> tables;
    while (q.next()) tables.insert(q.value(0).toString().toLower());
    if (tables.empty()) {
        if (!createSchema()) return false;
    } else if (!tables.count(QStringLiteral("schema_version"))) {
        FError = QStringLiteral("%1 is not a Quentry site history (it is a database of something else); it was left "
                                "as it is")
                     .arg(FWhere);
        return false;
    } else {
        if (!prepare(q, QLatin1String(kSelectVersion)) || !run(q, "reading the schema version")) return false;
        if (!q.next() || q.value(0).toString() != QLatin1String(kFormat)) {
            FError = QStringLiteral("%1 is not a Quentry site history; it was left as it is").arg(FWhere);
            return false;
        }
        const int version = q.value(1).toInt(), oldest = q.value(2).toInt();
        if (version > kSchemaVersion && oldest > kSchemaVersion) {
            FError = QStringLiteral("the site history %1 was made by a newer version of Quentry (schema %2, usable "
                                    "from schema %3 on; this program knows schema %4); it was left as it is")
                         .arg(FWhere)
                         .arg(version)
                         .arg(oldest)
                         .arg(kSchemaVersion);
            return false;
        }
        // Schema 1 is the first: older ones do not exist, so there is nothing to upgrade yet.
    }
    QSqlQuery journal(db());
    journal.exec(FDialect.journalMode); // a file system that cannot share memory keeps its journal
    return true;
}

bool TSqlHistoryStore::createSchema()
{
    return unitOfWork([this] {
        for (const QString& s : CreateSchema(FDialect)) {
            QSqlQuery q(db());
            if (!q.exec(s)) return fail(q.lastError(), "creating the tables");
        }
        QSqlQuery q;
        if (!prepare(q, QLatin1String(kInsertVersion))) return false;
        q.addBindValue(QLatin1String(kFormat));
        q.addBindValue(kSchemaVersion);
        q.addBindValue(kOldestCompatible);
        return run(q, "writing the schema version");
    });
}

bool TSqlHistoryStore::transmitterId(const TDeviceKey& key, bool create, qint64& id)
{
    if (const auto it = FIds.find(key); it != FIds.end()) {
        id = it->second;
        return true;
    }
    QSqlQuery q;
    if (create) {
        if (!prepare(q, QLatin1String(kInsertTransmitter))) return false;
        q.addBindValue(key.manufacturer);
        q.addBindValue(key.deviceType);
        q.addBindValue(qint64(key.deviceId));
        if (!run(q, "adding the transmitter")) return false;
    }
    if (!prepare(q, QLatin1String(kSelectTransmitterId))) return false;
    q.addBindValue(key.manufacturer);
    q.addBindValue(key.deviceType);
    q.addBindValue(qint64(key.deviceId));
    if (!run(q, "finding the transmitter")) return false;
    if (!q.next()) {
        FError.clear();
        FNativeCode.clear();
        return false;
    }
    id = q.value(0).toLongLong();
    FIds[key] = id;
    return true;
}

bool TSqlHistoryStore::BeginVisit(const TVisitStart& s, qint64& visitId)
{
    return unitOfWork([&] {
        qint64 tid = 0;
        if (!transmitterId(s.device, true, tid)) return false;
        QSqlQuery q;
        if (!prepare(q, QLatin1String(kInsertVisit))) return false;
        q.addBindValue(tid);
        q.addBindValue(s.started.toMSecsSinceEpoch());
        q.addBindValue(text(s.protocol));
        q.addBindValue(text(s.adapter));
        q.addBindValue(VisitKindToken(s.kind));
        q.addBindValue(VisitEndToken(TVisitEnd::Unfinished));
        q.addBindValue(text(s.programVersion));
        q.addBindValue(s.clock ? QVariant(s.clock->offsetSeconds) : nullDouble());
        q.addBindValue(s.clock ? QVariant(s.clock->resolutionSeconds) : nullInt());
        q.addBindValue(s.clock ? QVariant(s.clock->pcTime.toMSecsSinceEpoch()) : nullInt());
        q.addBindValue(orNull(s.driftSecondsPerDay, nullDouble()));
        if (!run(q, "adding the visit")) return false;
        if (!q.next()) {
            FError = QStringLiteral("site history %1: the new visit got no number").arg(FWhere);
            return false;
        }
        visitId = q.value(0).toLongLong();
        return true;
    });
}

bool TSqlHistoryStore::CommitBatch(const THistoryBatch& batch, TBatchResult& result)
{
    return unitOfWork([&] {
        TBatchResult r;
        r.fates.assign(batch.rows.size(), TBatchResult::TRowFate::Added);
        qint64 tid = 0;
        if (!transmitterId(batch.device, true, tid)) return false;

        // What the record holds already at the stamps of the batch; rows after its newest
        // one (a read going on past it) need no looking up.
        std::set<std::tuple<qint64, int, qint64>> held;
        std::set<std::pair<qint64, int>> heldAt;
        std::vector<qint64> stamps;
        for (const THistoryRow& h : batch.rows) stamps.push_back(h.stamp);
        std::sort(stamps.begin(), stamps.end());
        stamps.erase(std::unique(stamps.begin(), stamps.end()), stamps.end());
        QSqlQuery newest;
        if (!prepare(newest, QLatin1String(kSelectNewestStamp))) return false;
        newest.addBindValue(tid);
        if (!run(newest, "reading the newest stamp")) return false;
        const bool any = newest.next() && !newest.value(0).isNull();
        const qint64 newestStamp = any ? newest.value(0).toLongLong() : std::numeric_limits<qint64>::min();
        const size_t toLookUp = size_t(std::upper_bound(stamps.begin(), stamps.end(), newestStamp) - stamps.begin());
        for (size_t at = 0; at < toLookUp; at += kStampsPerLookup) {
            const int n = int(qMin<size_t>(kStampsPerLookup, toLookUp - at));
            QSqlQuery q;
            if (!prepare(q, SelectRowsAtStamps(n))) return false;
            q.addBindValue(tid);
            for (int i = 0; i < n; ++i) q.addBindValue(stamps[at + size_t(i)]);
            if (!run(q, "looking up known rows")) return false;
            while (q.next()) {
                held.emplace(q.value(0).toLongLong(), q.value(1).toInt(), q.value(2).toLongLong());
                heldAt.emplace(q.value(0).toLongLong(), q.value(1).toInt());
            }
        }
        std::vector<const THistoryRow*> fresh;
        for (size_t i = 0; i < batch.rows.size(); ++i) {
            const THistoryRow& h = batch.rows[i];
            const auto key = std::make_tuple(h.stamp, int(h.index), h.digest);
            if (held.count(key)) {
                r.fates[i] = TBatchResult::TRowFate::Known;
                continue;
            }
            if (heldAt.count({h.stamp, int(h.index)})) {
                r.fates[i] = TBatchResult::TRowFate::BesideOther;
                ++r.beside;
            }
            held.insert(key); // a row that repeats within the batch is added once
            heldAt.emplace(h.stamp, int(h.index));
            fresh.push_back(&h);
        }
        QSqlQuery full, part; // a statement of kRowsPerInsert rows is prepared once for the batch
        bool fullPrepared = false;
        for (size_t at = 0; at < fresh.size(); at += kRowsPerInsert) {
            const int n = int(qMin<size_t>(kRowsPerInsert, fresh.size() - at));
            if (n == kRowsPerInsert && !fullPrepared && !(fullPrepared = prepare(full, InsertRows(n)))) return false;
            if (n < kRowsPerInsert && !prepare(part, InsertRows(n))) return false;
            QSqlQuery& q = n == kRowsPerInsert ? full : part;
            for (int i = 0; i < n; ++i) {
                const THistoryRow& h = *fresh[at + size_t(i)];
                q.addBindValue(tid);
                q.addBindValue(h.stamp);
                q.addBindValue(int(h.index));
                q.addBindValue(h.digest);
                q.addBindValue(batch.visitId ? QVariant(batch.visitId) : nullInt());
                q.addBindValue(h.image);
            }
            if (!run(q, "adding rows")) return false;
            // Another writer may have added some of them meanwhile: they count as known.
            r.added += q.numRowsAffected();
        }
        r.known = int(batch.rows.size()) - r.added;

        qint64 lo = kNoStamp, hi = std::numeric_limits<qint64>::min();
        for (qint64 s : stamps) {
            lo = qMin(lo, s);
            hi = qMax(hi, s);
        }
        for (const TGapRecord& g : batch.gaps) {
            QSqlQuery q;
            if (!prepare(q, QLatin1String(kInsertGap))) return false;
            q.addBindValue(tid);
            q.addBindValue(int(g.fromIndex));
            q.addBindValue(int(g.toIndex));
            q.addBindValue(orNull(g.after, nullInt()));
            q.addBindValue(orNull(g.before, nullInt()));
            q.addBindValue(GapCauseToken(g.cause));
            q.addBindValue(batch.visitId ? QVariant(batch.visitId) : nullInt());
            if (!run(q, "adding a gap")) return false;
            for (const auto& s : {g.after, g.before})
                if (s) {
                    lo = qMin(lo, *s);
                    hi = qMax(hi, *s);
                }
        }
        if (lo <= hi && !fillGaps(tid, lo, hi, batch.gaps, r.gapRows)) return false;

        QSqlQuery q;
        if (!prepare(q, QLatin1String(kAddTransmitterRows))) return false;
        q.addBindValue(qint64(r.added));
        q.addBindValue(tid);
        if (!run(q, "counting the rows")) return false;
        if (batch.visitId) {
            if (!prepare(q, QLatin1String(kAddVisitCounts))) return false;
            q.addBindValue(r.added);
            q.addBindValue(r.known);
            q.addBindValue(r.gapRows);
            q.addBindValue(r.beside);
            q.addBindValue(batch.visitId);
            if (!run(q, "counting the visit's rows")) return false;
        }
        result = std::move(r);
        return true;
    });
}

bool TSqlHistoryStore::fillGaps(qint64 tid, qint64 lo, qint64 hi, const std::vector<TGapRecord>& own, int& ownMissing)
{
    struct TStoredGap
    {
        qint64 id;
        TGapRecord gap;
        QVariant visit;
    };
    std::vector<TStoredGap> near;
    QSqlQuery q;
    if (!prepare(q, QLatin1String(kSelectGapsNear))) return false;
    q.addBindValue(tid);
    q.addBindValue(hi);
    q.addBindValue(lo);
    if (!run(q, "looking up gaps")) return false;
    while (q.next()) {
        TStoredGap s;
        s.id = q.value(0).toLongLong();
        s.gap.fromIndex = quint16(q.value(1).toInt());
        s.gap.toIndex = quint16(q.value(2).toInt());
        s.gap.after = optionalInt(q.value(3));
        s.gap.before = optionalInt(q.value(4));
        s.gap.cause = GapCauseFromToken(q.value(5).toString()).value_or(TGapCause::Missing);
        s.visit = q.value(6);
        near.push_back(s);
    }
    ownMissing = 0;
    for (const TStoredGap& s : near) {
        const TGapRecord& g = s.gap;
        const int length = g.rows();
        // The rows the record holds inside the gap, by their place in it.
        std::map<int, qint64> present;
        if (!prepare(q, QLatin1String(kSelectRowsInSpan))) return false;
        q.addBindValue(tid);
        q.addBindValue(g.after.value_or(std::numeric_limits<qint64>::min()));
        q.addBindValue(g.before.value_or(kNoStamp));
        if (!run(q, "looking up rows in a gap")) return false;
        while (q.next()) {
            const int place = int(quint16(q.value(1).toInt() - g.fromIndex));
            if (place < length && !present.count(place)) present[place] = q.value(0).toLongLong();
        }
        std::vector<TGapRecord> left;
        std::optional<qint64> after = g.after;
        int start = 0;
        for (int place = 0; place <= length; ++place) {
            const auto it = present.find(place);
            if (place < length && it == present.end()) continue;
            if (place > start) {
                TGapRecord part = g;
                part.fromIndex = quint16(g.fromIndex + start);
                part.toIndex = quint16(g.fromIndex + place - 1);
                part.after = after;
                part.before = place < length ? std::optional<qint64>(it->second) : g.before;
                left.push_back(part);
            }
            if (place < length) after = it->second;
            start = place + 1;
        }
        const bool isOwn = std::find(own.begin(), own.end(), g) != own.end();
        if (isOwn)
            for (const TGapRecord& part : left) ownMissing += part.rows();
        if (present.empty()) continue;
        if (!prepare(q, QLatin1String(kDeleteGap))) return false;
        q.addBindValue(s.id);
        if (!run(q, "closing a gap")) return false;
        for (const TGapRecord& part : left) {
            if (!prepare(q, QLatin1String(kInsertGap))) return false;
            q.addBindValue(tid);
            q.addBindValue(int(part.fromIndex));
            q.addBindValue(int(part.toIndex));
            q.addBindValue(orNull(part.after, nullInt()));
            q.addBindValue(orNull(part.before, nullInt()));
            q.addBindValue(GapCauseToken(part.cause));
            q.addBindValue(s.visit);
            if (!run(q, "narrowing a gap")) return false;
        }
    }
    return true;
}

bool TSqlHistoryStore::FinishVisit(qint64 visitId, TVisitEnd ended, std::optional<int> joinedIndex, const QString& note)
{
    return unitOfWork([&] {
        QSqlQuery q;
        if (!prepare(q, QLatin1String(kFinishVisit))) return false;
        q.addBindValue(VisitEndToken(ended));
        q.addBindValue(joinedIndex ? QVariant(*joinedIndex) : nullInt());
        q.addBindValue(text(note));
        q.addBindValue(visitId);
        return run(q, "ending the visit");
    });
}

bool TSqlHistoryStore::ClearDrift(qint64 visitId)
{
    return unitOfWork([&] {
        QSqlQuery q;
        if (!prepare(q, QLatin1String(kClearVisitDrift))) return false;
        q.addBindValue(visitId);
        return run(q, "clearing the drift");
    });
}

bool TSqlHistoryStore::summary(QSqlQuery& q, TTransmitterSummary& s)
{
    s.device = TDeviceKey{quint8(q.value(0).toInt()), quint8(q.value(1).toInt()), quint32(q.value(2).toLongLong())};
    s.rows = q.value(3).toLongLong();
    s.first = optionalInt(q.value(4));
    s.last = optionalInt(q.value(5));
    s.visits = q.value(6).toInt();
    if (!q.value(7).isNull()) s.firstVisit = QDateTime::fromMSecsSinceEpoch(q.value(7).toLongLong(), Qt::UTC);
    s.gaps = q.value(8).toInt();
    return true;
}

bool TSqlHistoryStore::Transmitters(int offset, int limit, std::vector<TTransmitterSummary>& out)
{
    out.clear();
    QSqlQuery q;
    if (!prepare(q, QLatin1String(kSelectTransmitters))) return false;
    q.addBindValue(limit);
    q.addBindValue(offset);
    if (!run(q, "listing the transmitters")) return false;
    while (q.next()) {
        TTransmitterSummary s;
        summary(q, s);
        out.push_back(s);
    }
    return true;
}

bool TSqlHistoryStore::Transmitter(const TDeviceKey& key, TTransmitterSummary& out)
{
    QSqlQuery q;
    if (!prepare(q, QLatin1String(kSelectTransmitter))) return false;
    q.addBindValue(key.manufacturer);
    q.addBindValue(key.deviceType);
    q.addBindValue(qint64(key.deviceId));
    if (!run(q, "reading the transmitter")) return false;
    if (!q.next()) {
        FError.clear();
        return false;
    }
    out = TTransmitterSummary();
    summary(q, out);
    const qint64 tid = q.value(9).toLongLong();
    if (!prepare(q, QLatin1String(kSelectGapTotals))) return false;
    q.addBindValue(tid);
    if (!run(q, "adding up the gaps")) return false;
    while (q.next())
        if (const auto cause = GapCauseFromToken(q.value(0).toString())) out.gapRows[int(*cause)] = q.value(2).toLongLong();
    return true;
}

bool TSqlHistoryStore::Visits(const TDeviceKey& key, int offset, int limit, std::vector<TVisitRecord>& out)
{
    out.clear();
    qint64 tid = 0;
    if (!transmitterId(key, false, tid)) return FError.isEmpty();
    QSqlQuery q;
    if (!prepare(q, QLatin1String(kSelectVisits))) return false;
    q.addBindValue(tid);
    q.addBindValue(limit);
    q.addBindValue(offset);
    if (!run(q, "listing the visits")) return false;
    while (q.next()) {
        TVisitRecord v;
        v.id = q.value(0).toLongLong();
        v.started = QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong(), Qt::UTC);
        v.protocol = q.value(2).toString();
        v.adapter = q.value(3).toString();
        v.kind = VisitKindFromToken(q.value(4).toString()).value_or(TVisitKind::All);
        v.rowsAdded = q.value(5).toInt();
        v.rowsKnown = q.value(6).toInt();
        v.rowsMissing = q.value(7).toInt();
        v.rowsConflicting = q.value(8).toInt();
        v.ended = VisitEndFromToken(q.value(9).toString()).value_or(TVisitEnd::Unfinished);
        v.programVersion = q.value(10).toString();
        if (!q.value(11).isNull()) {
            TClockReading c;
            c.offsetSeconds = q.value(11).toDouble();
            c.resolutionSeconds = q.value(12).toInt();
            c.pcTime = QDateTime::fromMSecsSinceEpoch(q.value(13).toLongLong(), Qt::UTC);
            v.clock = c;
        }
        if (!q.value(14).isNull()) v.driftSecondsPerDay = q.value(14).toDouble();
        if (!q.value(15).isNull()) v.joinedIndex = q.value(15).toInt();
        v.note = q.value(16).toString();
        out.push_back(v);
    }
    return true;
}

bool TSqlHistoryStore::Gaps(const TDeviceKey& key, int offset, int limit, std::vector<TGapRecord>& out)
{
    out.clear();
    qint64 tid = 0;
    if (!transmitterId(key, false, tid)) return FError.isEmpty();
    QSqlQuery q;
    if (!prepare(q, QLatin1String(kSelectGaps))) return false;
    q.addBindValue(tid);
    q.addBindValue(limit);
    q.addBindValue(offset);
    if (!run(q, "listing the gaps")) return false;
    while (q.next()) {
        TGapRecord g;
        g.fromIndex = quint16(q.value(0).toInt());
        g.toIndex = quint16(q.value(1).toInt());
        g.after = optionalInt(q.value(2));
        g.before = optionalInt(q.value(3));
        g.cause = GapCauseFromToken(q.value(4).toString()).value_or(TGapCause::Missing);
        out.push_back(g);
    }
    return true;
}

namespace {

bool storedRow(const QSqlQuery& q, TStoredRow& out)
{
    out.stamp = q.value(0).toLongLong();
    out.index = quint16(q.value(1).toInt());
    out.digest = q.value(2).toLongLong();
    const auto row = THistoryRow::Decode(q.value(3).toByteArray());
    if (!row) return false;
    out.row = *row;
    return true;
}

} // namespace

bool TSqlHistoryStore::NewestRow(const TDeviceKey& key, TStoredRow& out)
{
    qint64 tid = 0;
    if (!transmitterId(key, false, tid)) return false;
    QSqlQuery q;
    if (!prepare(q, QLatin1String(kSelectNewestRow))) return false;
    q.addBindValue(tid);
    if (!run(q, "reading the newest row")) return false;
    if (!q.next()) {
        FError.clear();
        return false;
    }
    if (!storedRow(q, out)) {
        FError = QStringLiteral("the site history %1 holds a row of the wrong size").arg(FWhere);
        return false;
    }
    return true;
}

bool TSqlHistoryStore::HoldsRow(const TDeviceKey& key, const THistoryRow& row, bool& held)
{
    held = false;
    qint64 tid = 0;
    if (!transmitterId(key, false, tid)) return FError.isEmpty();
    QSqlQuery q;
    if (!prepare(q, QLatin1String(kSelectRow))) return false;
    q.addBindValue(tid);
    q.addBindValue(row.stamp);
    q.addBindValue(int(row.index));
    q.addBindValue(row.digest);
    if (!run(q, "looking up a row")) return false;
    held = q.next();
    return true;
}

bool TSqlHistoryStore::CountRows(const TDeviceKey& key, qint64 from, qint64 to, qint64& count)
{
    count = 0;
    qint64 tid = 0;
    if (!transmitterId(key, false, tid)) return FError.isEmpty();
    QSqlQuery q;
    if (!prepare(q, QLatin1String(kCountRowsOfPeriod))) return false;
    q.addBindValue(tid);
    q.addBindValue(from);
    q.addBindValue(to);
    if (!run(q, "counting rows")) return false;
    if (q.next()) count = q.value(0).toLongLong();
    return true;
}

bool TSqlHistoryStore::Rows(const TDeviceKey& key, qint64 from, qint64 to, const TStoredRow* after, int limit,
                            std::vector<TStoredRow>& out)
{
    out.clear();
    qint64 tid = 0;
    if (!transmitterId(key, false, tid)) return FError.isEmpty();
    QSqlQuery q;
    if (!prepare(q, QLatin1String(after ? kSelectRowsOfPeriodAfter : kSelectRowsOfPeriod))) return false;
    q.addBindValue(tid);
    q.addBindValue(from);
    q.addBindValue(to);
    if (after) {
        q.addBindValue(after->stamp);
        q.addBindValue(int(after->index));
        q.addBindValue(after->digest);
    }
    q.addBindValue(limit);
    if (!run(q, "reading rows")) return false;
    out.reserve(size_t(qMax(0, limit)));
    while (q.next()) {
        TStoredRow r;
        if (!storedRow(q, r)) {
            FError = QStringLiteral("the site history %1 holds a row of the wrong size").arg(FWhere);
            return false;
        }
        out.push_back(r);
    }
    return true;
}

bool TSqlHistoryStore::ClockReadings(const TDeviceKey& key, int limit, std::vector<TClockReading>& out)
{
    out.clear();
    qint64 tid = 0;
    if (!transmitterId(key, false, tid)) return FError.isEmpty();
    QSqlQuery q;
    if (!prepare(q, QLatin1String(kSelectClockReadings))) return false;
    q.addBindValue(tid);
    q.addBindValue(limit);
    if (!run(q, "reading the clock checks")) return false;
    while (q.next()) {
        TClockReading c;
        c.pcTime = QDateTime::fromMSecsSinceEpoch(q.value(0).toLongLong(), Qt::UTC);
        c.offsetSeconds = q.value(1).toDouble();
        c.resolutionSeconds = q.value(2).toInt();
        out.push_back(c);
    }
    return true;
}

} // namespace quentry
