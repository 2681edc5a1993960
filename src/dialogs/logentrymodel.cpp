#include "logentrymodel.h"

#include <QBrush>
#include <QColor>
#include <QGuiApplication>
#include <QPalette>

namespace quentry {
namespace {

enum TColumn { ColTime, ColClass, ColMessage, ColumnCount };

struct TClassColours
{
    QColor timeText, text, background; // invalid: the default
};

// Black on the window colour unless the class says otherwise.
TClassColours ColoursOf(const QString& cls)
{
    const QColor black(Qt::black);
    if (cls == QLatin1String("STX")) return {black, QColor(Qt::blue), {}};
    if (cls == QLatin1String("ACK")) return {black, QColor(0, 128, 0), {}};
    if (cls == QLatin1String("FERR") || cls == QLatin1String("ERR")) return {black, black, QColor(Qt::red)};
    if (cls == QLatin1String("RETRY"))
        return {black, black, QGuiApplication::palette().color(QPalette::Button)};
    if (cls == QLatin1String("FAILURE")) return {QColor(128, 0, 0), QColor(128, 0, 0), {}};
    return {black, black, {}};
}

} // namespace

TLogEntryModel::TLogEntryModel(const QString& secondHeader, QObject* parent)
    : QAbstractTableModel(parent), FSecondHeader(secondHeader)
{
}

void TLogEntryModel::append(const QDateTime& when, const QString& classText, const QString& message)
{
    // Before an entry goes into a list that already holds more than 1000, its oldest goes.
    while (count() >= kMaxEntries) {
        beginRemoveRows({}, 0, 0);
        FEntries.pop_front();
        endRemoveRows();
    }
    const int row = count();
    beginInsertRows({}, row, row);
    FEntries.push_back({when.toString(QStringLiteral("hh:mm:ss")), classText, message});
    endInsertRows();
}

void TLogEntryModel::clear()
{
    beginResetModel();
    FEntries.clear();
    endResetModel();
}

int TLogEntryModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count(); }

int TLogEntryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant TLogEntryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count()) return {};
    const TLogEntry& e = entry(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case ColTime: return e.time;
        case ColClass: return e.classText;
        default: return e.message;
        }
    case Qt::ForegroundRole: {
        const TClassColours c = ColoursOf(e.classText);
        return QBrush(index.column() == ColTime ? c.timeText : c.text);
    }
    case Qt::BackgroundRole: {
        const TClassColours c = ColoursOf(e.classText);
        return c.background.isValid() ? QVariant(QBrush(c.background)) : QVariant();
    }
    case Qt::TextAlignmentRole:
        return index.column() == ColClass ? QVariant(Qt::AlignCenter) : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default: return {};
    }
}

QVariant TLogEntryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::TextAlignmentRole && section == ColClass) return QVariant(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    switch (section) {
    case ColTime: return QStringLiteral("Systime");
    case ColClass: return FSecondHeader;
    case ColMessage: return QStringLiteral("Message");
    default: return {};
    }
}

} // namespace quentry
