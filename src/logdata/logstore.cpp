#include "logstore.h"

#include <algorithm>

namespace quentry {

TLogStore::TLogStore(TUserFeedback* feedback)
    : FRows(std::make_unique<TLogArray>()), FFeedback(feedback ? feedback : &silentFeedback())
{
}

void TLogStore::SetLogCount(int n) { FLogCount = std::clamp(n, 0, kLogArrayRows); }

void TLogStore::Clear()
{
    std::fill(FRows->begin(), FRows->end(), THART_PAS_LOG_Row{});
    FLogCount = 0;
    FRefused = 0;
}

bool TLogStore::Log_AddToArray(const THART_PAS_LOG_Row& Row)
{
    if (FLogCount >= kLogArrayRows) {
        if (FRefused++ == 0) FFeedback->showError(LogStoreFullText());
        return false;
    }
    (*FRows)[std::size_t(FLogCount)] = Row;
    ++FLogCount;
    return true;
}

QString LogStoreFullText()
{
    return QStringLiteral("Log store full!\r%1 records kept, further records dropped.").arg(kLogArrayRows);
}

} // namespace quentry
