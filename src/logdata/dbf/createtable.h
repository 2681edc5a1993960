#pragma once
// Reads the CREATE TABLE statement of the dBASE export: a table name, then a column list
// of names with the type clauses CHAR(n), INTEGER, REAL, LOGICAL and DATETIME, and gives
// the dBASE fields they become. DATETIME becomes a date field (dBASE III+ has no time).
#include "dbffield.h"

#include <QString>
#include <optional>
#include <vector>

namespace quentry::dbf {

struct TCreateTable
{
    QString tableName;
    std::vector<TDbfField> fields;
};

// Empty with the reason in *error when the statement is not such a CREATE TABLE.
std::optional<TCreateTable> ParseCreateTable(const QString& sql, QString* error);

// The field a type clause makes: INTEGER N(11,0), REAL N(20,5), LOGICAL L(1),
// DATETIME D(8), CHAR(n) C(n) with n 1..254.
std::optional<TDbfField> FieldForType(const QByteArray& name, const QString& typeClause);

} // namespace quentry::dbf
