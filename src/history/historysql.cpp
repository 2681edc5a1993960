#include "historysql.h"

namespace quentry::historysql {
namespace {

QString placeholders(int groups, int perGroup)
{
    const QString group = QLatin1Char('(') + QStringList(perGroup, QStringLiteral("?")).join(QStringLiteral(", ")) +
                          QLatin1Char(')');
    return QStringList(groups, group).join(QStringLiteral(", "));
}

} // namespace

const TDialect& TDialect::Sqlite()
{
    static const TDialect d = [] {
        TDialect s;
        s.name = QStringLiteral("SQLite");
        s.driver = QStringLiteral("QSQLITE");
        s.idColumn = QStringLiteral("INTEGER PRIMARY KEY");
        s.binaryType = QStringLiteral("BLOB");
        // Takes the write lock at once: two writers never deadlock upgrading a read lock.
        s.beginWrite = QStringLiteral("BEGIN IMMEDIATE");
        s.tableNames = QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'");
        // Every commit reaches the disk before it counts: rows read are not lost with the power.
        s.sessionSetup = {QStringLiteral("PRAGMA foreign_keys = ON"), QStringLiteral("PRAGMA synchronous = FULL")};
        s.journalMode = QStringLiteral("PRAGMA journal_mode = WAL");
        return s;
    }();
    return d;
}

bool TDialect::retryable(const QString& nativeCode) const
{
    if (driver == QLatin1String("QSQLITE")) {
        bool ok = false;
        const int code = nativeCode.toInt(&ok) & 0xFF; // extended codes carry the primary one in the low byte
        return ok && (code == 5 || code == 6);         // SQLITE_BUSY, SQLITE_LOCKED
    }
    // Serialization failure, deadlock detected.
    return nativeCode == QLatin1String("40001") || nativeCode == QLatin1String("40P01");
}

bool TDialect::damaged(const QString& nativeCode) const
{
    if (driver != QLatin1String("QSQLITE")) return false;
    bool ok = false;
    const int code = nativeCode.toInt(&ok) & 0xFF;
    return ok && (code == 11 || code == 26); // SQLITE_CORRUPT, SQLITE_NOTADB
}

QStringList CreateSchema(const TDialect& d)
{
    return {
        QStringLiteral("CREATE TABLE schema_version (format VARCHAR(40) NOT NULL, version INTEGER NOT NULL, "
                       "oldest_compatible INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE transmitters (id %1, manufacturer INTEGER NOT NULL, device_type INTEGER NOT NULL, "
                       "device_id BIGINT NOT NULL, row_count BIGINT NOT NULL DEFAULT 0, "
                       "UNIQUE (manufacturer, device_type, device_id))")
            .arg(d.idColumn),
        QStringLiteral("CREATE TABLE visits (id %1, transmitter_id BIGINT NOT NULL REFERENCES transmitters (id), "
                       "started_ms BIGINT NOT NULL, protocol VARCHAR(10) NOT NULL, adapter VARCHAR(400) NOT NULL, "
                       "kind VARCHAR(10) NOT NULL, rows_added INTEGER NOT NULL DEFAULT 0, "
                       "rows_known INTEGER NOT NULL DEFAULT 0, rows_missing INTEGER NOT NULL DEFAULT 0, "
                       "rows_conflicting INTEGER NOT NULL DEFAULT 0, ended VARCHAR(20) NOT NULL, "
                       "program_version VARCHAR(20) NOT NULL, clock_offset_s DOUBLE PRECISION, "
                       "clock_resolution_s INTEGER, clock_pc_ms BIGINT, drift_s_per_day DOUBLE PRECISION, "
                       "joined_index INTEGER, note VARCHAR(400))")
            .arg(d.idColumn),
        QStringLiteral("CREATE INDEX visits_by_transmitter ON visits (transmitter_id, started_ms)"),
        // A row is the same row when stamp, index and content agree: the database keeps it once.
        QStringLiteral("CREATE TABLE log_rows (transmitter_id BIGINT NOT NULL REFERENCES transmitters (id), "
                       "stamp BIGINT NOT NULL, row_index INTEGER NOT NULL, digest BIGINT NOT NULL, "
                       "visit_id BIGINT REFERENCES visits (id), image %1 NOT NULL, "
                       "UNIQUE (transmitter_id, stamp, row_index, digest))")
            .arg(d.binaryType),
        QStringLiteral("CREATE TABLE gaps (id %1, transmitter_id BIGINT NOT NULL REFERENCES transmitters (id), "
                       "from_index INTEGER NOT NULL, to_index INTEGER NOT NULL, after_stamp BIGINT, "
                       "before_stamp BIGINT, cause VARCHAR(12) NOT NULL, visit_id BIGINT REFERENCES visits (id), "
                       "UNIQUE (transmitter_id, from_index, to_index, after_stamp))")
            .arg(d.idColumn),
        QStringLiteral("CREATE INDEX gaps_by_transmitter ON gaps (transmitter_id, after_stamp)"),
    };
}

QString InsertRows(int count)
{
    return QStringLiteral("INSERT INTO log_rows (transmitter_id, stamp, row_index, digest, visit_id, image) VALUES ") +
           placeholders(count, 6) + QStringLiteral(" ON CONFLICT DO NOTHING");
}

QString SelectRowsAtStamps(int count)
{
    return QStringLiteral("SELECT stamp, row_index, digest FROM log_rows WHERE transmitter_id = ? AND stamp IN (") +
           QStringList(count, QStringLiteral("?")).join(QStringLiteral(", ")) + QLatin1Char(')');
}

const char* const kSelectVersion = "SELECT format, version, oldest_compatible FROM schema_version";
const char* const kInsertVersion = "INSERT INTO schema_version (format, version, oldest_compatible) VALUES (?, ?, ?)";
const char* const kInsertTransmitter =
    "INSERT INTO transmitters (manufacturer, device_type, device_id) VALUES (?, ?, ?) ON CONFLICT DO NOTHING";
const char* const kSelectTransmitterId =
    "SELECT id FROM transmitters WHERE manufacturer = ? AND device_type = ? AND device_id = ?";
const char* const kAddTransmitterRows = "UPDATE transmitters SET row_count = row_count + ? WHERE id = ?";
const char* const kInsertVisit =
    "INSERT INTO visits (transmitter_id, started_ms, protocol, adapter, kind, ended, program_version, "
    "clock_offset_s, clock_resolution_s, clock_pc_ms, drift_s_per_day) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
    "RETURNING id";
const char* const kAddVisitCounts =
    "UPDATE visits SET rows_added = rows_added + ?, rows_known = rows_known + ?, rows_missing = rows_missing + ?, "
    "rows_conflicting = rows_conflicting + ? WHERE id = ?";
const char* const kFinishVisit = "UPDATE visits SET ended = ?, joined_index = ?, note = ? WHERE id = ?";
const char* const kClearVisitDrift = "UPDATE visits SET drift_s_per_day = NULL WHERE id = ?";
const char* const kInsertGap =
    "INSERT INTO gaps (transmitter_id, from_index, to_index, after_stamp, before_stamp, cause, visit_id) "
    "VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING";
const char* const kSelectGapsNear =
    "SELECT id, from_index, to_index, after_stamp, before_stamp, cause, visit_id FROM gaps WHERE transmitter_id = ? "
    "AND (after_stamp IS NULL OR after_stamp <= ?) AND (before_stamp IS NULL OR before_stamp >= ?)";
const char* const kDeleteGap = "DELETE FROM gaps WHERE id = ?";
const char* const kSelectRowsInSpan =
    "SELECT stamp, row_index FROM log_rows WHERE transmitter_id = ? AND stamp >= ? AND stamp <= ?";
// What a transmitter's line of the list shows; the record's ends come from the index.
#define QUENTRY_TRANSMITTER_SUMMARY                                                                                \
    "SELECT t.manufacturer, t.device_type, t.device_id, t.row_count, "                                             \
    "(SELECT MIN(r.stamp) FROM log_rows r WHERE r.transmitter_id = t.id), "                                        \
    "(SELECT MAX(r.stamp) FROM log_rows r WHERE r.transmitter_id = t.id), "                                        \
    "(SELECT COUNT(*) FROM visits v WHERE v.transmitter_id = t.id), "                                              \
    "(SELECT MIN(v.started_ms) FROM visits v WHERE v.transmitter_id = t.id), "                                     \
    "(SELECT COUNT(*) FROM gaps g WHERE g.transmitter_id = t.id), t.id FROM transmitters t "
const char* const kSelectTransmitters =
    QUENTRY_TRANSMITTER_SUMMARY "ORDER BY t.manufacturer, t.device_type, t.device_id LIMIT ? OFFSET ?";
const char* const kSelectTransmitter =
    QUENTRY_TRANSMITTER_SUMMARY "WHERE t.manufacturer = ? AND t.device_type = ? AND t.device_id = ?";
#undef QUENTRY_TRANSMITTER_SUMMARY
const char* const kSelectVisits =
    "SELECT id, started_ms, protocol, adapter, kind, rows_added, rows_known, rows_missing, rows_conflicting, ended, "
    "program_version, clock_offset_s, clock_resolution_s, clock_pc_ms, drift_s_per_day, joined_index, note "
    "FROM visits WHERE transmitter_id = ? ORDER BY started_ms, id LIMIT ? OFFSET ?";
// Both ends of a gap are known but for rare cases; COALESCE keeps the order the same on
// databases that sort a NULL first and those that sort it last.
const char* const kSelectGaps =
    "SELECT from_index, to_index, after_stamp, before_stamp, cause FROM gaps WHERE transmitter_id = ? "
    "ORDER BY COALESCE(after_stamp, before_stamp, 0), from_index, id LIMIT ? OFFSET ?";
const char* const kSelectGapTotals =
    "SELECT cause, COUNT(*), SUM((to_index - from_index + 65536) % 65536 + 1) FROM gaps WHERE transmitter_id = ? "
    "GROUP BY cause";
const char* const kSelectNewestStamp = "SELECT MAX(stamp) FROM log_rows WHERE transmitter_id = ?";
const char* const kSelectNewestRow =
    "SELECT stamp, row_index, digest, image FROM log_rows WHERE transmitter_id = ? "
    "ORDER BY stamp DESC, row_index DESC, digest DESC LIMIT 1";
const char* const kSelectRow =
    "SELECT image FROM log_rows WHERE transmitter_id = ? AND stamp = ? AND row_index = ? AND digest = ?";
const char* const kCountRowsOfPeriod =
    "SELECT COUNT(*) FROM log_rows WHERE transmitter_id = ? AND stamp >= ? AND stamp <= ?";
const char* const kSelectRowsOfPeriod =
    "SELECT stamp, row_index, digest, image FROM log_rows WHERE transmitter_id = ? AND stamp >= ? AND stamp <= ? "
    "ORDER BY stamp, row_index, digest LIMIT ?";
const char* const kSelectRowsOfPeriodAfter =
    "SELECT stamp, row_index, digest, image FROM log_rows WHERE transmitter_id = ? AND stamp >= ? AND stamp <= ? "
    "AND (stamp, row_index, digest) > (?, ?, ?) ORDER BY stamp, row_index, digest LIMIT ?";
const char* const kSelectClockReadings =
    "SELECT clock_pc_ms, clock_offset_s, clock_resolution_s FROM visits WHERE transmitter_id = ? "
    "AND clock_offset_s IS NOT NULL ORDER BY clock_pc_ms DESC LIMIT ?";

} // namespace quentry::historysql
