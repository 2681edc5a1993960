#pragma once
// The progress and result lines of a logger read and of the table conversion, as the
// "Logger Commands" group shows them.
#include <QString>
#include <optional>

namespace quentry {

// "Total: %d, Current: %d, Last Index: %d"
QString TotalRecText(int totalRecordCount, int filePointerPos, int lastIndex);
// "Result: %d record(s) readed."
QString ResultRecText(int records);
// The count the result line of a read shows: the reader's last file position + 1, or 0
// when no row arrived (an empty logger leaves the position at 0 without a row at 0).
int ReadResultRecords(int filePointerPos, int rowsDelivered);
// "Converting ..."
QString ConvertingText();

// The gauge during a read: (pos + 1) / total x 100, halves to even; empty with a total of 0
// (the gauge then keeps its value and the time line shows FormatElapsed(0)).
std::optional<int> ReadGaugePercent(int filePointerPos, int totalRecordCount);
// The percent for the time line at the end of a read: pos / total x 100 unrounded, 0 when
// the total is 0.
double ReadFinishedPercent(int filePointerPos, int totalRecordCount);

} // namespace quentry
