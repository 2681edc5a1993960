#include "trendfilter.h"

#include "rowdecode.h"

namespace quentry {

const std::array<TErrorWarningMaskTable, 13> ErrorWarningMasks = {{
    {"No Echo", 0x0001},
    {"Err 3", 0x0002},
    {"Err 16", 0x0004},
    {"Err 13", 0x0008},
    {"Err 14", 0x0010},
    {"Err 12", 0x0020},
    {"Err 15", 0x0040},
    {"Err 18", 0x0080},
    {"Err 7", 0x0100},
    {"Err 5", 0x0200},
    {"Sub 0", 0x0400},
    {"Err T. Sensor", 0x0800},
    {"Err 4", 0x1000},
}};

namespace {

constexpr int kMaxEventTexts = 100;
constexpr double kOneMillisecond = 1.0 / 86400000.0; // in days

QString eventText(int code)
{
    const auto list = EventTextList();
    if (code < 0 || code >= int(list.size())) return {};
    return QString::fromLatin1(list[std::size_t(code)].data(), qsizetype(list[std::size_t(code)].size()));
}

} // namespace

QStringList TrendEventItems()
{
    QStringList items;
    for (int code = 1; code <= kMaxEventTexts; ++code) {
        const QString text = eventText(code);
        if (text.isEmpty()) break;
        if (text != QLatin1String("READ")) items << text;
    }
    return items;
}

bool TTrendFilter::BuildEventCodeFilterArray(const QStringList& items, const std::vector<bool>& checked)
{
    EventCodeFilter.fill(kNotOffered);
    bool changed = false;
    if (LastEventChecked.size() < checked.size()) LastEventChecked.resize(checked.size(), false);
    for (std::size_t i = 0; i < checked.size(); ++i) {
        changed = changed || checked[i] != LastEventChecked[i];
        LastEventChecked[i] = checked[i];
    }
    for (int code = 1; code < kEventCodes; ++code) {
        const QString text = eventText(code);
        if (text.isEmpty()) break;
        const int item = int(items.indexOf(text));
        if (item < 0 || std::size_t(item) >= checked.size()) continue;
        EventCodeFilter[std::size_t(code)] = checked[std::size_t(item)] ? kChecked : kUnchecked;
    }
    return changed;
}

bool TTrendFilter::BuildErrorFilterMask(const std::vector<bool>& checked)
{
    ErrorFilterMask = 0;
    for (std::size_t i = 0; i < checked.size() && i < ErrorWarningMasks.size(); ++i)
        if (checked[i]) ErrorFilterMask |= ErrorWarningMasks[i].Mask;
    const bool changed = ErrorFilterMask != LastErrorFilterMask;
    LastErrorFilterMask = ErrorFilterMask;
    return changed;
}

bool TTrendFilter::CheckErrorFilterMask(quint16 error) const
{
    return error == 0 || (error & ErrorFilterMask) != 0;
}

bool TTrendFilter::IsEventCodeSelected(quint8 code) const
{
    return code < kEventCodes && EventCodeFilter[code] == kChecked;
}

bool TTrendFilter::DataSetFilterRecord(const TLogRecord& record) const
{
    if (FilterBegin - record.recdatetim >= kOneMillisecond) return false;
    if (record.recdatetim - FilterEnd >= kOneMillisecond) return false;
    return IsEventCodeSelected(quint8(record.event)) && CheckErrorFilterMask(record.error);
}

} // namespace quentry
