#pragma once
// The files a read or a conversion writes from the store: image, ASCII, dBASE, CSV.
#include "asciiexport.h"
#include "logstore.h"
#include "terminalfeedback.h"

#include <QString>

namespace quentry::cli {

struct TExportTargets
{
    QString image, ascii, dbf, csv;
    bool any() const { return !image.isEmpty() || !ascii.isEmpty() || !dbf.isEmpty() || !csv.isEmpty(); }
};

// Every target's directory must exist and be writable; checked before a long read.
bool CheckTargets(const TExportTargets& t, QString& error);

// Writes each target named; reports each file written on stderr. False on the first that
// fails (its reason in error).
bool WriteTargets(const TExportTargets& t, const TLogStore& store, TTerminalFeedback& f, QString& error);
// The same for the ASCII, dBASE and CSV targets of `count` rows handed out in order by
// rowAt, for more rows than the store holds (an image holds at most a store's worth).
bool WriteTargets(const TExportTargets& t, int count, const TRowAt& rowAt, TTerminalFeedback& f, QString& error);

} // namespace quentry::cli
