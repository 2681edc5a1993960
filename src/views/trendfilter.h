#pragma once
// The row filter of the trend window: a date-time range, the offered event codes and the
// error bits. Plain state and rules; the window turns its check lists into the calls here.
#include "logrecord.h"

#include <QStringList>
#include <array>
#include <vector>

namespace quentry {

struct TErrorWarningMaskTable
{
    const char* Name;
    quint16 Mask;
};

// The items of the "Error Event Filter" list, in list order. Bits 0x2000..0x8000 have none.
extern const std::array<TErrorWarningMaskTable, 13> ErrorWarningMasks;

// The event texts offered by the "Event Filter" list: from code 1 upward until the first
// empty text, without "READ".
QStringList TrendEventItems();

class TTrendFilter
{
public:
    static constexpr int kEventCodes = 51; // codes 0..50; higher codes never pass
    // Entries of EventCodeFilter.
    static constexpr quint8 kNotOffered = 0, kChecked = 1, kUnchecked = 255;

    // From the check states of the event list (one per item of `items`, in list order).
    // True when a state differs from the last build.
    bool BuildEventCodeFilterArray(const QStringList& items, const std::vector<bool>& checked);
    // From the check states of the error list (row i of ErrorWarningMasks). True when the
    // mask differs from the last build.
    bool BuildErrorFilterMask(const std::vector<bool>& checked);

    bool CheckErrorFilterMask(quint16 error) const;
    bool IsEventCodeSelected(quint8 code) const;
    // True when the record lies in the range (1 ms tolerance) and passes both lists.
    bool DataSetFilterRecord(const TLogRecord& record) const;

    TDateTime FilterBegin = 0.0;
    TDateTime FilterEnd = 0.0;
    std::array<quint8, kEventCodes> EventCodeFilter{};
    std::vector<bool> LastEventChecked;
    quint16 ErrorFilterMask = 0;
    quint16 LastErrorFilterMask = 0;
};

} // namespace quentry
