#include "profileini.h"

#include <QIODevice>
#include <QMap>

namespace quentry {
namespace {

// The profile functions find "comport" under [main]; QSettings compares exactly. So the
// settings file's own names are read in their usual spelling, whatever the file says.
QString Canonical(const QString& name)
{
    static const QStringList known = {QStringLiteral("Main"),        QStringLiteral("OpenComAtStart"),
                                      QStringLiteral("ComPort"),     QStringLiteral("ComPortName"),
                                      QStringLiteral("Protocol"),    QStringLiteral("Adapter"),
                                      QStringLiteral("IrDAAdapter"), QStringLiteral("TimeOut")};
    for (const QString& k : known)
        if (k.compare(name, Qt::CaseInsensitive) == 0) return k;
    return name;
}

} // namespace

QSettings::Format ProfileIniFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("ini"), &ReadProfileIni, &WriteProfileIni, Qt::CaseInsensitive);
    return format;
}

bool ReadProfileIni(QIODevice& device, QSettings::SettingsMap& map)
{
    if (device.size() > kMaxProfileIniSize) return false;
    const QByteArray bytes = device.read(kMaxProfileIniSize + 1);
    if (bytes.size() > kMaxProfileIniSize) return false;
    QString section;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype end = line.indexOf(QLatin1Char(']'));
            section = Canonical((end > 0 ? line.mid(1, end - 1) : line.mid(1)).trimmed());
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) continue;
        const QString key = Canonical(line.left(eq).trimmed());
        if (key.isEmpty()) continue;
        map.insert(section.isEmpty() ? key : section + QLatin1Char('/') + key, line.mid(eq + 1).trimmed());
    }
    return true;
}

bool WriteProfileIni(QIODevice& device, const QSettings::SettingsMap& map)
{
    // Keys are "section/key"; the section is everything before the last "/".
    QMap<QString, QList<QPair<QString, QString>>> sections;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        const qsizetype slash = it.key().lastIndexOf(QLatin1Char('/'));
        const QString section = slash < 0 ? QString() : it.key().left(slash);
        const QString key = slash < 0 ? it.key() : it.key().mid(slash + 1);
        QString value = it.value().toString();
        value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        sections[section].append({key, value});
    }
    QByteArray out;
    for (auto s = sections.constBegin(); s != sections.constEnd(); ++s) {
        if (!s.key().isEmpty()) out += '[' + s.key().toLatin1() + "]\r\n";
        for (const auto& kv : s.value()) out += kv.first.toLatin1() + '=' + kv.second.toLatin1() + "\r\n";
        out += "\r\n";
    }
    return device.write(out) == out.size();
}

} // namespace quentry
