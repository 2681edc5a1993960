#pragma once
// The files a read or a conversion writes from the store: image, ASCII, dBASE, CSV.
#include "asciiexport.h"
#include "fileclash.h"
#include "logstore.h"
#include "terminalfeedback.h"

#include <QDateTime>
#include <QString>

namespace quentry::cli {

struct TExportTargets
{
    QString image, ascii, dbf, csv;
    bool any() const { return !image.isEmpty() || !ascii.isEmpty() || !dbf.isEmpty() || !csv.isEmpty(); }
};

// The targets as the options named them, for the clash check.
QList<TNamedPath> NamedTargets(const TExportTargets& t);

// Every target's directory must exist and be writable, and no target may be a folder;
// checked before a long read.
bool CheckTargets(const TExportTargets& t, QString& error);

// "site.img" -> "site.partial-2024-05-02-1432.img" in the same folder, with "-2", "-3" ...
// after the time when that name is taken too.
QString PartialName(const QString& path, const QDateTime& when);

// For a read that did not end complete: each target that exists keeps its rows, and the
// rows read so far go to its partial name beside it (said on stderr). Targets that do not
// exist yet are written under their own names.
TExportTargets SparingExistingFiles(const TExportTargets& t, const QDateTime& when, TTerminalFeedback& f);

// Writes each target named; reports each file written on stderr. False on the first that
// fails (its reason in error).
bool WriteTargets(const TExportTargets& t, const TLogStore& store, TTerminalFeedback& f, QString& error);
// The same for the ASCII, dBASE and CSV targets of `count` rows handed out in order by
// rowAt, for more rows than the store holds (an image holds at most a store's worth).
bool WriteTargets(const TExportTargets& t, int count, const TRowAt& rowAt, TTerminalFeedback& f, QString& error);

} // namespace quentry::cli
