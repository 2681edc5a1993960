#include "reportvisit.h"

#include "imagefile.h"
#include "wire/wireconv.h"

#include <QCryptographicHash>
#include <QFile>
#include <array>

namespace quentry {

QString ProtocolText(TProtokoll protocol)
{
    return protocol == prt_MODE3 ? QStringLiteral("FAST (MODE3)") : QStringLiteral("HART");
}

QString AdapterText(TAdapterType adapter, TIrDAAdapterType irda)
{
    // As the setup dialog lists them.
    switch (adapter) {
    case adt_None: return QStringLiteral("HART MODEM");
    case adt_USB: return QStringLiteral("TAVIX - USB");
    case adt_IrDA:
        return irda == iratype_TAMBO ? QStringLiteral("MOREL - IrDA - TAMBO") : QStringLiteral("MOREL - IrDA - RS232");
    }
    return {};
}

QString FileSha256(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file)) return {};
    return QString::fromLatin1(hash.result().toHex());
}

QString ImageSha256(std::span<const THART_PAS_LOG_Row> rows)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    std::array<quint8, kImageHeaderSize> header{};
    writeLE32(header.data(), quint32(rows.size()));
    hash.addData(QByteArrayView(header.data(), qsizetype(header.size())));
    std::array<quint8, kImageRecordSize> record{};
    for (const THART_PAS_LOG_Row& r : rows) {
        EncodeImageRecord(r, record.data());
        hash.addData(QByteArrayView(record.data(), qsizetype(record.size())));
    }
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace quentry
