#pragma once
// Where the site history lives, first rule that applies: the file named on the command
// line; the settings file's key "HistoryFile" (relative to the settings file's directory);
// history.sqlite in the site directory when there is one; history.sqlite in the per-user
// data directory (~/.local/share/Quentry on Linux).
#include <QString>

namespace quentry {

constexpr const char* kHistoryFileName = "history.sqlite";

struct THistoryLocation
{
    QString commandLine;  // --history FILE
    QString settingsKey;  // HistoryFile= of the settings file
    QString settingsDir;  // the directory the settings file is in
    QString siteDir;      // the site directory, empty without one

    QString Path() const;
};

} // namespace quentry
