#include "historyrow.h"

#include "imagerow.h"

#include <QCryptographicHash>

namespace quentry {

THistoryRow THistoryRow::From(const THART_PAS_LOG_Row& row)
{
    THistoryRow h;
    h.image = QByteArray(kImageRowSize, '\0');
    EncodeImageRow(row, reinterpret_cast<quint8*>(h.image.data()));
    h.stamp = RowStamp(row);
    h.index = row.index;
    h.digest = DigestOf(h.image);
    h.event = row.event;
    return h;
}

std::optional<THART_PAS_LOG_Row> THistoryRow::Decode(const QByteArray& image)
{
    if (image.size() != kImageRowSize) return std::nullopt;
    return DecodeImageRow(reinterpret_cast<const quint8*>(image.constData()));
}

qint64 THistoryRow::DigestOf(const QByteArray& image)
{
    const QByteArray h = QCryptographicHash::hash(image, QCryptographicHash::Sha1);
    quint64 v = 0;
    for (int i = 0; i < 8; ++i) v = v << 8 | quint8(h[i]);
    return qint64(v);
}

} // namespace quentry
