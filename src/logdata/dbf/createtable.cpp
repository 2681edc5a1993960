#include "createtable.h"

#include <QRegularExpression>

namespace quentry::dbf {
namespace {

bool ValidFieldName(const QString& name)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return name.size() <= kMaxFieldNameLength && re.match(name).hasMatch();
}

} // namespace

std::optional<TDbfField> FieldForType(const QByteArray& name, const QString& typeClause)
{
    const QString t = typeClause.simplified().toUpper();
    TDbfField f;
    f.name = name;
    if (t == QLatin1String("INTEGER")) {
        f.type = 'N';
        f.width = 11; // -2147483648
    } else if (t == QLatin1String("REAL")) {
        f.type = 'N';
        f.width = 20;
        f.decimals = 5;
    } else if (t == QLatin1String("LOGICAL")) {
        f.type = 'L';
        f.width = 1;
    } else if (t == QLatin1String("DATETIME")) {
        f.type = 'D';
        f.width = 8;
    } else {
        static const QRegularExpression re(QStringLiteral("^CHAR\\s*\\(\\s*(\\d{1,3})\\s*\\)$"));
        const auto m = re.match(t);
        if (!m.hasMatch()) return std::nullopt;
        const int n = m.captured(1).toInt();
        if (n < 1 || n > kMaxCharWidth) return std::nullopt;
        f.type = 'C';
        f.width = n;
    }
    return f;
}

namespace {

std::optional<std::vector<TDbfField>> ParseColumns(const QString& list, QString* error)
{
    const auto fail = [error](const QString& why) -> std::optional<std::vector<TDbfField>> {
        *error = why;
        return std::nullopt;
    };
    std::vector<TDbfField> fields;
    // Commas only separate columns: no type clause holds one.
    for (const QString& column : list.split(QLatin1Char(','))) {
        const QString c = column.trimmed();
        const qsizetype blank = c.indexOf(QRegularExpression(QStringLiteral("\\s")));
        if (blank < 0) return fail(QStringLiteral("column \"%1\" has no type").arg(c));
        const QString name = c.left(blank);
        if (!ValidFieldName(name))
            return fail(QStringLiteral("column name \"%1\" is not a dBASE field name").arg(name));
        for (const TDbfField& f : fields)
            if (QString::fromLatin1(f.name).compare(name, Qt::CaseInsensitive) == 0)
                return fail(QStringLiteral("column \"%1\" appears twice").arg(name));
        const QString type = c.mid(blank + 1).trimmed();
        const auto field = FieldForType(name.toLatin1(), type);
        if (!field) return fail(QStringLiteral("column \"%1\" has an unknown type \"%2\"").arg(name, type));
        fields.push_back(*field);
    }
    return fields;
}

} // namespace

std::optional<TCreateTable> ParseCreateTable(const QString& sql, QString* error)
{
    QString why;
    const auto fail = [&](const QString& reason) -> std::optional<TCreateTable> {
        if (error) *error = reason;
        return std::nullopt;
    };
    static const QRegularExpression head(QStringLiteral("^\\s*CREATE\\s+TABLE\\s+"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto h = head.match(sql);
    if (!h.hasMatch()) return fail(QStringLiteral("only CREATE TABLE statements are supported"));
    const qsizetype close = sql.lastIndexOf(QLatin1Char(')'));
    if (close < 0 || !sql.mid(close + 1).trimmed().isEmpty())
        return fail(QStringLiteral("CREATE TABLE without a column list in parentheses"));

    // The table name is a file name and may hold blanks and parentheses ("Export (2).dbf"):
    // the column list opens at the first "(" after which the columns read.
    why = QStringLiteral("CREATE TABLE without a column list in parentheses");
    for (qsizetype open = sql.indexOf(QLatin1Char('('), h.capturedEnd()); open >= 0 && open < close;
         open = sql.indexOf(QLatin1Char('('), open + 1)) {
        const QString name = sql.mid(h.capturedEnd(), open - h.capturedEnd()).trimmed();
        auto fields = ParseColumns(sql.mid(open + 1, close - open - 1), &why);
        if (!fields) continue;
        if (name.isEmpty()) return fail(QStringLiteral("CREATE TABLE without a table name"));
        return TCreateTable{name, std::move(*fields)};
    }
    return fail(why);
}

} // namespace quentry::dbf
