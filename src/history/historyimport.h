#pragma once
// Joining the rows of a log image file into a transmitter's record, as one transaction:
// by the same rules as a read of everything the logger held when the image was saved.
#include "historyfeed.h"
#include "historytexts.h"
#include "logstore.h"

namespace quentry {

struct TImportResult
{
    bool ok = false;
    QString error;
    int skipped = 0; // rows that had failed their check when read (no row to keep)
    TJoinSummary join;
    QString line;
};

// `source` names the file in the visit; `visit` gives when and by which program.
TImportResult ImportRows(THistoryStore& store, const TLogStore& rows, TVisitStart visit, const QString& source);

} // namespace quentry
