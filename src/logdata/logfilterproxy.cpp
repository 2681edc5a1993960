#include "logfilterproxy.h"

namespace quentry {

TLogFilterProxy::TLogFilterProxy(QObject* parent) : QSortFilterProxyModel(parent) {}

void TLogFilterProxy::setSourceModel(QAbstractItemModel* model)
{
    FLogModel = qobject_cast<TLogTableModel*>(model);
    QSortFilterProxyModel::setSourceModel(model);
}

void TLogFilterProxy::SetRecordFilter(TRecordFilter filter)
{
    FFilter = std::move(filter);
    invalidateFilter();
}

bool TLogFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    if (sourceParent.isValid()) return false;
    if (!FFilter || !FLogModel || sourceRow >= FLogModel->RecordCount()) return true;
    return FFilter(FLogModel->Record(sourceRow), sourceRow);
}

} // namespace quentry
