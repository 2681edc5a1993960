#include "eventcounts.h"

#include "statusdecode.h"

#include <array>
#include <map>

namespace quentry {
namespace {

constexpr int kErrorBits = 8;   // bits 0-7 errors, then warnings
constexpr int kNamedBits = 13;  // bits 13-15 have no text

QString view(std::string_view v) { return QString::fromLatin1(v.data(), qsizetype(v.size())); }

QString bitText(int bit)
{
    const quint16 mask = quint16(1u << bit);
    if (bit < kErrorBits) return view(ErrorText(mask));
    if (bit < kNamedBits) return view(WarningText(mask));
    return QStringLiteral("bit %1").arg(bit);
}

} // namespace

std::vector<TCount> CountEvents(std::span<const THART_PAS_LOG_Row> rows)
{
    std::map<quint8, TCount> byCode;
    for (const THART_PAS_LOG_Row& r : rows) {
        TCount& c = byCode[r.event];
        if (c.count++ == 0) c.text = r.eventstr.str();
    }
    std::vector<TCount> counts;
    for (const auto& entry : byCode) counts.push_back(entry.second);
    return counts;
}

std::vector<TCount> CountErrorBits(std::span<const THART_PAS_LOG_Row> rows)
{
    std::array<int, 16> bits{};
    for (const THART_PAS_LOG_Row& r : rows) {
        if (r.event == kChecksumErrorEvent) continue;
        for (int b = 0; b < 16; ++b)
            if (r.es.error & (1u << b)) ++bits[std::size_t(b)];
    }
    std::vector<TCount> counts;
    for (int b = 0; b < 16; ++b)
        if (bits[std::size_t(b)] > 0) counts.push_back({bitText(b), bits[std::size_t(b)]});
    return counts;
}

} // namespace quentry
