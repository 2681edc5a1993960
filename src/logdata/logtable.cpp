#include "logtable.h"

#include "logtexts.h"

namespace quentry {

bool TLogTable::ConvertToTable(const TLogStore& store, const TOperationContext& context,
                               const TLabelSink& labelTotalRec)
{
    if (FTableConverted) return true;
    TElapsedClock ownClock;
    TRowLoopProgress loop(context, context.Clock ? *context.Clock : ownClock);
    if (labelTotalRec) labelTotalRec(ConvertingText());
    loop.ProcessEvents();
    FModel.SetupLoggerMemTable();
    Log_CopyToMemTable(store, context);
    if (labelTotalRec) labelTotalRec(FTableConverted ? ResultRecText(FModel.RecordCount()) : QString());
    loop.ProcessEvents();
    return FTableConverted;
}

void TLogTable::Log_CopyToMemTable(const TLogStore& store, const TOperationContext& context)
{
    FTableConverted = true;
    TElapsedClock ownClock;
    TRowLoopProgress loop(context, context.Clock ? *context.Clock : ownClock);
    TProgressOptions o;
    o.caption = QStringLiteral("Processing");
    o.maximum = store.LogCount() - 1;
    o.cancelButton = true;
    o.text = QStringLiteral("Converting ... \rPlease Wait!");
    o.centre = TCentre::Screen;
    loop.Show(o);

    // Built aside and handed over at once: attached views see one reset, not 12 288 inserts.
    std::vector<TLogRecord> records;
    records.reserve(std::size_t(std::max(store.LogCount(), TLogTableModel::kCapacityHint)));
    for (int i = 0; i < store.LogCount(); ++i) {
        records.push_back(LogRecordFromRow(store.Row(i)));
        loop.SetPosition(i);
        if (loop.Canceled()) {
            FTableConverted = false;
            break;
        }
        loop.AfterRow(i);
    }
    FModel.SetRecords(std::move(records));
    loop.Hide();
}

} // namespace quentry
