#pragma once
// What a command prints on stdout: "name: value" lines, or one JSON object with --json.
#include <QJsonObject>
#include <QString>

namespace quentry::cli {

class TOutput
{
public:
    explicit TOutput(bool json) : FJson(json) {}
    void line(const QString& text);                        // plain output only
    void field(const QString& label, const QString& key, const QJsonValue& value, const QString& shown = {});
    QJsonObject& object() { return FObject; }
    // Writes the JSON object (with --json); plain lines went out as they came.
    void finish();

private:
    bool FJson;
    QJsonObject FObject;
};

} // namespace quentry::cli
