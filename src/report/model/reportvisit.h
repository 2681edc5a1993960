#pragma once
// What the service report knows about a visit besides the rows: the transmitter, the
// link, the clock check, the logger configuration, where the rows come from, and the
// gaps with their causes when a record of them exists. A fact left empty is printed as
// not known; nothing here is guessed from the rows.
#include "linktypes.h"
#include "loggersettings.h"
#include "pasrecords.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <span>
#include <vector>

namespace quentry {

struct TReportIdentity
{
    quint8 manufacturer = 0; // factory id
    quint8 deviceType = 0;
    quint32 deviceId = 0;    // 24 bits
    std::optional<quint8> pollingAddress;
};

// The transmitter's clock against this PC's at one moment.
struct TReportClockCheck
{
    QDateTime transmitter;             // as the transmitter told it
    QDateTime pc;                      // this PC's clock at that moment
    double resolutionSeconds = 60;     // the transmitter's reading is this coarse
    std::optional<double> driftSecondsPerDay; // since the previous visit, when one is known
    double offsetSeconds() const { return double(pc.msecsTo(transmitter)) / 1000.0; } // transmitter - PC
};

// A hole in the record that something outside the rows knows of (the site history).
struct TReportGap
{
    quint16 fromIndex = 0, toIndex = 0; // the missing indices, first and last
    TDateTime from = 0.0, to = 0.0;     // the rows on either side of the hole
    int rows = 0;
    QString cause;                      // "overwritten before it was read", ...
};

struct TReportVisit
{
    std::optional<TReportIdentity> identity;
    QString protocol;   // "HART", "FAST (MODE3)"; empty: not recorded
    QString adapter;    // as the setup dialog names it; empty: not recorded
    std::optional<TReportClockCheck> clock;
    std::optional<TLoggerConfig> loggerConfig;
    // Where the rows come from, in a few words: "image file site.img", "read from the
    // transmitter 2021-04-20 10:05", "site history, exported 2026-05-01 14:00".
    QString source;
    QString sha256;     // hex SHA-256 of the image file; empty when none
    QString sha256Note; // what the hash is of, when it is not simply the source file
    // Gaps of missing rows with causes, from a record of them; unset: the report finds the
    // index skips in the rows and names that as their cause.
    std::optional<std::vector<TReportGap>> gaps;
};

QString ProtocolText(TProtokoll protocol);
QString AdapterText(TAdapterType adapter, TIrDAAdapterType irda);

// Hex SHA-256 of a file's bytes; empty when it cannot be read.
QString FileSha256(const QString& path);
// Hex SHA-256 of the image file Save Image writes for these rows.
QString ImageSha256(std::span<const THART_PAS_LOG_Row> rows);

} // namespace quentry
