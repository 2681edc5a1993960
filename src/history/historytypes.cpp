#include "historytypes.h"

#include <QRegularExpression>
#include <cmath>

namespace quentry {
namespace {

const QDateTime& stampBase()
{
    static const QDateTime base(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    return base;
}

template <class E, size_t N> std::optional<E> fromToken(const QString& token, const char* const (&names)[N])
{
    for (size_t i = 0; i < N; ++i)
        if (token == QLatin1String(names[i])) return E(i);
    return std::nullopt;
}

const char* const kCauseTokens[] = {"missing", "unreadable", "overwritten"};
const char* const kKindTokens[] = {"all", "new", "import"};
const char* const kEndTokens[] = {"unfinished", "completed", "stopped", "cut short", "interrupted"};

} // namespace

QString TDeviceKey::text() const
{
    return QStringLiteral("%1-%2-%3").arg(manufacturer).arg(deviceType).arg(deviceId);
}

std::optional<TDeviceKey> TDeviceKey::Parse(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{1,3})-(\\d{1,3})-(\\d{1,8})$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch()) return std::nullopt;
    const uint manufacturer = m.captured(1).toUInt(), type = m.captured(2).toUInt();
    const qulonglong id = m.captured(3).toULongLong();
    if (manufacturer > 255 || type > 255 || id > 0xFFFFFF) return std::nullopt;
    return TDeviceKey{quint8(manufacturer), quint8(type), quint32(id)};
}

TDeviceKey TDeviceKey::FromIdentity(const THART_PAS_UniqueID& id)
{
    return TDeviceKey{id.FactoryID, id.DeviceTypeID, id.DeviceID & 0xFFFFFF};
}

QString GapCauseToken(TGapCause c) { return QLatin1String(kCauseTokens[int(c)]); }

QString GapCauseText(TGapCause c)
{
    switch (c) {
    case TGapCause::Missing: return QStringLiteral("missing from the logger");
    case TGapCause::Unreadable: return QStringLiteral("unreadable");
    case TGapCause::Overwritten: return QStringLiteral("overwritten before it was read");
    }
    return {};
}

std::optional<TGapCause> GapCauseFromToken(const QString& token) { return fromToken<TGapCause>(token, kCauseTokens); }

QString VisitKindToken(TVisitKind k) { return QLatin1String(kKindTokens[int(k)]); }
std::optional<TVisitKind> VisitKindFromToken(const QString& token) { return fromToken<TVisitKind>(token, kKindTokens); }

QString VisitEndToken(TVisitEnd e) { return QLatin1String(kEndTokens[int(e)]); }
std::optional<TVisitEnd> VisitEndFromToken(const QString& token) { return fromToken<TVisitEnd>(token, kEndTokens); }

qint64 RowStamp(const THART_PAS_LOG_Row& row)
{
    // Stamps are whole minutes as read; anything an image may carry still gets an order.
    if (!std::isfinite(row.datetime) || std::fabs(row.datetime) > 3.0e6) return 0;
    const qint64 ms = toEpochMilliseconds(row.datetime);
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

QDateTime StampToDateTime(qint64 stamp) { return stampBase().addSecs(stamp); }

qint64 DateTimeToStamp(const QDateTime& t)
{
    return stampBase().secsTo(QDateTime(t.date(), t.time(), Qt::UTC));
}

} // namespace quentry
