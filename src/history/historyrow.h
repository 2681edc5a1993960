#pragma once
// A logger row as the history keeps it: the 455 bytes of its image row (so an export is
// byte for byte what an image file holds), its time stamp and index to select it by, and
// a 64-bit digest of the bytes that tells two rows with the same stamp and index apart.
#include "historytypes.h"

#include <QByteArray>

namespace quentry {

struct THistoryRow
{
    qint64 stamp = 0;
    quint16 index = 0;
    qint64 digest = 0;
    QByteArray image; // kImageRowSize bytes
    quint8 event = 0;

    static THistoryRow From(const THART_PAS_LOG_Row& row);
    // Empty when the bytes are not an image row.
    static std::optional<THART_PAS_LOG_Row> Decode(const QByteArray& image);
    static qint64 DigestOf(const QByteArray& image);
};

} // namespace quentry
