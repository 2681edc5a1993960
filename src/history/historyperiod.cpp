#include "historyperiod.h"

namespace quentry {

THistoryPeriod::THistoryPeriod(THistoryStore& store, const TDeviceKey& device, qint64 from, qint64 to)
    : FStore(store), FDevice(device), FFrom(from), FTo(to)
{
}

bool THistoryPeriod::Count(qint64& count)
{
    if (FStore.CountRows(FDevice, FFrom, FTo, count)) return true;
    FError = FStore.LastError();
    return false;
}

const THART_PAS_LOG_Row& THistoryPeriod::RowAt(int i)
{
    if (i < FPageStart) { // going back: start again from the first page
        FPage.clear();
        FPageStart = 0;
        FLast.reset();
    }
    while (i >= FPageStart + int(FPage.size())) {
        if (!FPage.empty()) FLast = FPage.back();
        FPageStart += int(FPage.size());
        if (!FStore.Rows(FDevice, FFrom, FTo, FLast ? &*FLast : nullptr, kPageRows, FPage) || FPage.empty()) {
            if (FError.isEmpty())
                FError = FStore.LastError().isEmpty() ? QStringLiteral("the history holds fewer rows than it counted")
                                                      : FStore.LastError();
            FPage.clear();
            return FEmpty;
        }
    }
    return FPage[size_t(i - FPageStart)].row;
}

bool THistoryPeriod::LoadInto(TLogStore& store)
{
    store.Clear();
    qint64 count = 0;
    if (!Count(count)) return false;
    for (int i = 0; i < count && i < kLogArrayRows; ++i) store.Log_AddToArray(RowAt(i));
    return FError.isEmpty();
}

} // namespace quentry
