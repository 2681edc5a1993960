#pragma once
// A text of fixed capacity, stored as a length byte followed by `N` single-byte
// characters. Decoded rows keep their texts this way because a log image file writes
// the row bytes as they are, including whatever lies beyond the length.
#include "wire/wireconv.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cstring>

namespace quentry {

template <int N> struct TShortString
{
    static_assert(N > 0 && N < 256);
    quint8 length = 0;
    std::array<char, N> chars{};

    static constexpr int capacity() { return N; }

    // Cuts to the capacity; the bytes after the new length are cleared.
    void assign(const QString& s)
    {
        const QByteArray b = toSingleByte(s);
        length = quint8(std::min<qsizetype>(b.size(), N));
        std::memcpy(chars.data(), b.constData(), length);
        std::fill(chars.begin() + length, chars.end(), '\0');
    }
    TShortString& operator=(const QString& s)
    {
        assign(s);
        return *this;
    }
    // A stored length above the capacity (a damaged file) reads as the whole capacity.
    int size() const { return std::min<int>(length, N); }
    QString str() const { return fromSingleByte(chars.data(), size()); }
    bool operator==(const TShortString&) const = default;
};

} // namespace quentry
