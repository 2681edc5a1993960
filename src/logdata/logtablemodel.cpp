#include "logtablemodel.h"

namespace quentry {

TLogTableModel::TLogTableModel(QObject* parent) : QAbstractTableModel(parent) {}

int TLogTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RecordCount();
}

int TLogTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kLogFieldCount;
}

QVariant TLogTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= RecordCount() || index.column() >= kLogFieldCount) return {};
    const TLogRecord& r = Record(index.row());
    if (role == RawDateTimeRole && index.column() == lc_recdatetim) return r.recdatetim;
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    return r.Value(index.column());
}

QVariant TLogTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < kLogFieldCount ? QString::fromLatin1(LogTableFields()[section].name)
                                                        : QVariant();
    return section + 1; // record numbers count from 1
}

void TLogTableModel::SetupLoggerMemTable()
{
    beginResetModel();
    FRecords.clear();
    FRecords.reserve(kCapacityHint);
    endResetModel();
}

void TLogTableModel::Log_AddMemTable(const THART_PAS_LOG_Row& Row)
{
    beginInsertRows({}, RecordCount(), RecordCount());
    FRecords.push_back(LogRecordFromRow(Row));
    endInsertRows();
}

void TLogTableModel::SetRecords(std::vector<TLogRecord> records)
{
    beginResetModel();
    FRecords = std::move(records);
    endResetModel();
}

} // namespace quentry
