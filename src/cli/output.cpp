#include "output.h"

#include <QJsonDocument>
#include <cstdio>

namespace quentry::cli {

void TOutput::line(const QString& text)
{
    if (FJson) return;
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
}

void TOutput::field(const QString& label, const QString& key, const QJsonValue& value, const QString& shown)
{
    FObject.insert(key, value);
    if (FJson) return;
    QString text = shown;
    if (text.isEmpty()) {
        if (value.isBool()) text = value.toBool() ? "yes" : "no";
        else if (value.isDouble()) text = QString::number(value.toDouble(), 'g', 10);
        else text = value.toVariant().toString();
    }
    line(label + QStringLiteral(": ") + text);
}

void TOutput::finish()
{
    if (!FJson) return;
    std::fprintf(stdout, "%s\n", QJsonDocument(FObject).toJson(QJsonDocument::Indented).constData());
}

} // namespace quentry::cli
