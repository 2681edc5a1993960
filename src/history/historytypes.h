#pragma once
// What the site history holds about a transmitter: its key, its visits and the holes in
// its record, as plain values that every store backend and every caller shares.
#include "operationrecords.h"
#include "pasrecords.h"

#include <QDateTime>
#include <QString>
#include <optional>

namespace quentry {

// The transmitter a record belongs to, by the identity detection shows: manufacturer id,
// device type id and device id, written in decimal as "M-T-D" (for example "96-81-74565").
struct TDeviceKey
{
    quint8 manufacturer = 0;
    quint8 deviceType = 0;
    quint32 deviceId = 0; // 24 bits

    QString text() const;
    // "M-T-D" with decimal numbers in range; empty for anything else.
    static std::optional<TDeviceKey> Parse(const QString& text);
    static TDeviceKey FromIdentity(const THART_PAS_UniqueID& id);
    auto operator<=>(const TDeviceKey&) const = default;
};

// Why the record lacks a span of rows.
enum class TGapCause {
    Missing,     // the logger has no row with those indexes (it skipped them)
    Unreadable,  // rows the logger has never came back readable
    Overwritten, // the ring went round before anyone read them
};
QString GapCauseToken(TGapCause c); // "missing", "unreadable", "overwritten"
QString GapCauseText(TGapCause c);  // "missing from the logger", "unreadable", "overwritten before it was read"
std::optional<TGapCause> GapCauseFromToken(const QString& token);

// A read of everything the logger holds, a read of what is new, or an image joined in.
enum class TVisitKind { All, New, Import };
QString VisitKindToken(TVisitKind k); // "all", "new", "import"
std::optional<TVisitKind> VisitKindFromToken(const QString& token);

// How the read of a visit ended; Unfinished while it runs, and for good when the program
// died under it.
enum class TVisitEnd { Unfinished, Completed, Stopped, CutShort, Interrupted };
QString VisitEndToken(TVisitEnd e); // "unfinished", "completed", "stopped", "cut short", "interrupted"
std::optional<TVisitEnd> VisitEndFromToken(const QString& token);

// The transmitter's clock against this PC's at one detection.
struct TClockReading
{
    double offsetSeconds = 0;  // transmitter minus PC, to a tenth
    int resolutionSeconds = 1; // 1 when the clock was read to the second, 60 to the minute
    QDateTime pcTime;          // UTC, the middle of the request that read it
};

// Seconds since 1899-12-30 00:00 of a row's time stamp (the transmitter's own time, no
// time zone): the key rows are ordered and selected by.
qint64 RowStamp(const THART_PAS_LOG_Row& row);
QDateTime StampToDateTime(qint64 stamp); // Qt::UTC, standing for the transmitter's time
qint64 DateTimeToStamp(const QDateTime& t);

struct TVisitRecord
{
    qint64 id = 0;
    QDateTime started; // UTC
    QString protocol;  // "hart", "fast", "file"
    QString adapter;   // "none", "usb", ...; an import: the file name
    TVisitKind kind = TVisitKind::All;
    int rowsAdded = 0, rowsKnown = 0, rowsMissing = 0, rowsConflicting = 0;
    TVisitEnd ended = TVisitEnd::Unfinished;
    QString programVersion;
    std::optional<TClockReading> clock;
    std::optional<double> driftSecondsPerDay;
    std::optional<int> joinedIndex; // the row a revisit proved it joins at
    QString note;
};

struct TGapRecord
{
    quint16 fromIndex = 0, toIndex = 0;   // inclusive, on the 16-bit index circle
    std::optional<qint64> after, before;  // stamps of the rows on either side, when known
    TGapCause cause = TGapCause::Missing;
    int rows() const { return int(quint16(toIndex - fromIndex)) + 1; }
    bool operator==(const TGapRecord&) const = default;
};

struct TTransmitterSummary
{
    TDeviceKey device;
    qint64 rows = 0;
    std::optional<qint64> first, last; // stamps of the oldest and newest row
    int visits = 0;
    QDateTime firstVisit; // UTC; invalid without visits
    int gaps = 0;
    qint64 gapRows[3] = {0, 0, 0}; // by TGapCause
};

// A row of the record: the decoded row and the keys it is held under.
struct TStoredRow
{
    qint64 stamp = 0;
    quint16 index = 0;
    qint64 digest = 0;
    THART_PAS_LOG_Row row;
};

} // namespace quentry
