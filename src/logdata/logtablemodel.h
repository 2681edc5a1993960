#pragma once
// The log table: the in-memory table with the 39 typed fields that the trend window and
// the dBASE export read, filled on demand from the log store.
#include "logrecord.h"

#include <QAbstractTableModel>
#include <vector>

namespace quentry {

class TLogTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kCapacityHint = 12300;
    // Qt::UserRole of the date-time column gives the stored TDateTime (a double).
    static constexpr int RawDateTimeRole = Qt::UserRole;

    explicit TLogTableModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    int RecordCount() const { return int(FRecords.size()); }
    const TLogRecord& Record(int row) const { return FRecords[std::size_t(row)]; }

    // Empties the table and prepares room for a logger's worth of records.
    void SetupLoggerMemTable();
    // Appends one record made from the row.
    void Log_AddMemTable(const THART_PAS_LOG_Row& Row);
    // Replaces every record at once (one reset for attached views).
    void SetRecords(std::vector<TLogRecord> records);

private:
    std::vector<TLogRecord> FRecords;
};

} // namespace quentry
