#pragma once
// Filling a fixed-capacity text from a single-byte text without going through QString:
// decoding a whole logger touches several texts per row, and the fixed texts are known
// as plain bytes already.
#include "shortstring.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace quentry {

// Cuts to the capacity; the bytes after the new length are cleared, as assign() does.
template <int N> void assignText(TShortString<N>& s, std::string_view text)
{
    const std::size_t n = std::min<std::size_t>(text.size(), std::size_t(N));
    s.length = quint8(n);
    std::memcpy(s.chars.data(), text.data(), n);
    std::fill(s.chars.begin() + n, s.chars.end(), '\0');
}

inline QString fromSingleByte(std::string_view text) { return fromSingleByte(text.data(), int(text.size())); }

} // namespace quentry
