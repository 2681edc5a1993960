#pragma once
// A period of a transmitter's record, handed out row by row in time and index order and
// read from the history a page at a time, so the exports and the window can go through a
// million rows with a page in memory.
#include "historystore.h"
#include "logstore.h"

#include <vector>

namespace quentry {

class THistoryPeriod
{
public:
    static constexpr int kPageRows = 2048;

    // Rows with from <= stamp <= to.
    THistoryPeriod(THistoryStore& store, const TDeviceKey& device, qint64 from, qint64 to);

    // The rows in the period; false (reason in Error()) when the history does not answer.
    bool Count(qint64& count);
    // Row i, for i rising from 0 by one. A row the history does not give is an empty row,
    // and Error() says why.
    const THART_PAS_LOG_Row& RowAt(int i);
    // The whole period into the store (at most its 12 289 rows).
    bool LoadInto(TLogStore& store);
    QString Error() const { return FError; }

private:
    THistoryStore& FStore;
    TDeviceKey FDevice;
    qint64 FFrom, FTo;
    std::vector<TStoredRow> FPage;
    int FPageStart = 0;         // the period's number of FPage's first row
    std::optional<TStoredRow> FLast; // the last row of the page before
    THART_PAS_LOG_Row FEmpty;
    QString FError;
};

} // namespace quentry
