#pragma once
// The history's SQL in one place: one schema for every database, the statements the store
// runs, and the few things that differ between databases, named in a dialect. Every value
// goes in as a bound parameter; statement texts hold only names and placeholders.
#include <QString>
#include <QStringList>

namespace quentry::historysql {

// The schema this program writes, and the oldest schema version a program must know to
// use a history it made (a later program raises the first and raises the second only when
// older programs could no longer read or write it correctly).
constexpr int kSchemaVersion = 1;
constexpr int kOldestCompatible = 1;
// What the version table says a history is; a database without it is not one.
constexpr const char* kFormat = "quentry-site-history";

struct TDialect
{
    QString name;        // "SQLite"
    QString driver;      // the Qt SQL driver
    QString idColumn;    // an id the database numbers itself
    QString binaryType;  // a column of bytes
    QString beginWrite;  // opens a transaction that writes
    QString tableNames;  // lists the tables of the database (one column)
    // Run on every new connection, in order.
    QStringList sessionSetup;
    // Run once after the schema is known to be ours; a result other than the wanted one
    // is accepted (a file system without shared memory keeps its rollback journal).
    QString journalMode;
    // Native error codes of the driver that mean "try the whole unit of work again".
    bool retryable(const QString& nativeCode) const;
    // Native error codes that mean the database file is damaged or no database.
    bool damaged(const QString& nativeCode) const;

    static const TDialect& Sqlite();
};

// CREATE statements of schema kSchemaVersion, in order.
QStringList CreateSchema(const TDialect& d);

// Statements that take a list: `count` groups of placeholders.
QString InsertRows(int count);          // (transmitter_id, stamp, row_index, digest, visit_id, image)
QString SelectRowsAtStamps(int count);  // known rows of a transmitter at any of `count` stamps

extern const char* const kSelectVersion;
extern const char* const kInsertVersion;
extern const char* const kInsertTransmitter;
extern const char* const kSelectTransmitterId;
extern const char* const kAddTransmitterRows;
extern const char* const kInsertVisit;
extern const char* const kAddVisitCounts;
extern const char* const kFinishVisit;
extern const char* const kClearVisitDrift;
extern const char* const kInsertGap;
extern const char* const kSelectGapsNear;
extern const char* const kDeleteGap;
extern const char* const kSelectRowsInSpan;
extern const char* const kSelectTransmitters;
extern const char* const kSelectTransmitter;
extern const char* const kSelectVisits;
extern const char* const kSelectGaps;
extern const char* const kSelectGapTotals;
extern const char* const kSelectNewestStamp;
extern const char* const kSelectNewestRow;
extern const char* const kSelectRow;
extern const char* const kCountRowsOfPeriod;
extern const char* const kSelectRowsOfPeriod;
extern const char* const kSelectRowsOfPeriodAfter;
extern const char* const kSelectClockReadings;

} // namespace quentry::historysql
