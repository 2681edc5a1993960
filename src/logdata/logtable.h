#pragma once
// The log table and whether it holds exactly the store's rows (TableConverted), with the
// conversion from the store that the trend window and both exports start with.
#include "logstore.h"
#include "logtablemodel.h"
#include "operation.h"

#include <functional>

namespace quentry {

class TLogTable
{
public:
    using TLabelSink = std::function<void(const QString&)>;

    TLogTableModel& Model() { return FModel; }
    const TLogTableModel& Model() const { return FModel; }

    bool TableConverted() const { return FTableConverted; }
    // The store changed (read started, image loaded, simulator): rebuild on next use.
    void SetStale() { FTableConverted = false; }

    // Nothing when the table is converted already. Otherwise "Converting ...", then the
    // table rebuilt from the store, then the result line ("Result: %d record(s) readed." or
    // empty after a cancel) go to labelTotalRec. Returns TableConverted.
    bool ConvertToTable(const TLogStore& store, const TOperationContext& context,
                        const TLabelSink& labelTotalRec = {});

    // The rebuild itself, with its "Processing" dialog and Cancel between rows. A cancel
    // keeps the records added so far but leaves the table not converted.
    void Log_CopyToMemTable(const TLogStore& store, const TOperationContext& context);

private:
    TLogTableModel FModel;
    bool FTableConverted = false;
};

} // namespace quentry
