#pragma once
// The log table as the trend window sees it: only the records its record filter accepts.
// A proxy row maps to a source row; the record number shown is source row + 1.
#include "logtablemodel.h"

#include <QSortFilterProxyModel>
#include <functional>

namespace quentry {

class TLogFilterProxy : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    using TRecordFilter = std::function<bool(const TLogRecord& record, int sourceRow)>;

    explicit TLogFilterProxy(QObject* parent = nullptr);

    void setSourceModel(QAbstractItemModel* model) override;
    TLogTableModel* LogModel() const { return FLogModel; }

    // No filter accepts every record. Setting one re-evaluates every row.
    void SetRecordFilter(TRecordFilter filter);
    // The filter's own conditions changed: evaluate every row again.
    void RefreshRecordFilter() { invalidateFilter(); }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    TLogTableModel* FLogModel = nullptr;
    TRecordFilter FFilter;
};

} // namespace quentry
