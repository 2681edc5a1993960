#include "logtexts.h"

#include <cmath>

namespace quentry {

QString TotalRecText(int totalRecordCount, int filePointerPos, int lastIndex)
{
    return QStringLiteral("Total: %1, Current: %2, Last Index: %3").arg(totalRecordCount).arg(filePointerPos).arg(lastIndex);
}

QString ResultRecText(int records) { return QStringLiteral("Result: %1 record(s) readed.").arg(records); }

int ReadResultRecords(int filePointerPos, int rowsDelivered) { return rowsDelivered > 0 ? filePointerPos + 1 : 0; }

QString ConvertingText() { return QStringLiteral("Converting ..."); }

std::optional<int> ReadGaugePercent(int filePointerPos, int totalRecordCount)
{
    if (totalRecordCount == 0) return std::nullopt;
    return int(std::nearbyint((double(filePointerPos) + 1) / double(totalRecordCount) * 100));
}

double ReadFinishedPercent(int filePointerPos, int totalRecordCount)
{
    if (totalRecordCount == 0) return 0;
    return double(filePointerPos) / double(totalRecordCount) * 100;
}

} // namespace quentry
