#pragma once
// Rows for round trips: every field set, floats that are hard to format, texts at their
// capacity, and bytes beyond each text's length that only a byte-exact copy keeps.
#include "logstore.h"
#include "pasrecords.h"

#include <QByteArray>

namespace quentry::test {

// Row i of a varied set; different i give different values in every field.
THART_PAS_LOG_Row MakeTestRow(int i);
// Store holding rows 0 .. count-1 of MakeTestRow.
void FillStore(TLogStore& store, int count);

// Sets a text and fills the bytes after its length with a pattern.
template <int N> void SetText(TShortString<N>& s, const QByteArray& text, quint8 seed)
{
    s.length = quint8(std::min<qsizetype>(text.size(), N));
    for (int k = 0; k < N; ++k)
        s.chars[std::size_t(k)] = k < s.length ? text[k] : char(quint8(seed + 37 * k) | 0x80);
}

// The raw bytes of a row as the image file holds them.
QByteArray ImageBytes(const THART_PAS_LOG_Row& row);

// The whole contents of a file; empty when it cannot be read.
QByteArray FileBytes(const QString& path);
// Replaces a file's contents; false when it cannot be written.
bool WriteFileBytes(const QString& path, const QByteArray& bytes);

} // namespace quentry::test
