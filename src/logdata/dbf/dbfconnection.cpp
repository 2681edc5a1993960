#include "dbfconnection.h"

#include "createtable.h"
#include "dbftable.h"

#include <QDir>

namespace quentry::dbf {

QString TDbfConnection::TablePath(const QString& tableName) const
{
    return QDir(FDirectory).filePath(tableName);
}

bool TDbfConnection::Execute(const QString& sql, QString* error)
{
    const auto create = ParseCreateTable(sql, error);
    if (!create) return false;
    if (create->tableName.contains(QLatin1Char('/')) || create->tableName.contains(QLatin1Char('\\'))) {
        if (error) *error = QStringLiteral("table name \"%1\" names a directory").arg(create->tableName);
        return false;
    }
    return TDbfTable::Create(TablePath(create->tableName), create->fields, error);
}

} // namespace quentry::dbf
