#pragma once
// The database connection of the dBASE export: a directory of .dbf tables on which SQL
// statements run. It knows the one statement the export issues, CREATE TABLE.
#include <QString>

namespace quentry::dbf {

class TDbfConnection
{
public:
    void SetDirectory(const QString& directory) { FDirectory = directory; }
    QString Directory() const { return FDirectory; }
    // The table file of a table name: the name is the file name, extension included.
    QString TablePath(const QString& tableName) const;

    // Runs the statement; false with the reason in *error when it cannot be run.
    bool Execute(const QString& sql, QString* error);

private:
    QString FDirectory;
};

} // namespace quentry::dbf
