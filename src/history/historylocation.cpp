#include "historylocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quentry {

QString THistoryLocation::Path() const
{
    if (!commandLine.isEmpty()) return QFileInfo(commandLine).absoluteFilePath();
    if (!settingsKey.isEmpty()) return QFileInfo(QDir(settingsDir), settingsKey).absoluteFilePath();
    if (!siteDir.isEmpty() && QFileInfo(siteDir).isDir()) return QDir(siteDir).filePath(QLatin1String(kHistoryFileName));
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QLatin1String(kHistoryFileName));
}

} // namespace quentry
