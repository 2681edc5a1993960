#include "clihistory.h"

#include "clockcheck.h"
#include "historylocation.h"
#include "historytexts.h"
#include "settingsfile.h"
#include "sqlhistorystore.h"

#include <QFileInfo>

namespace quentry::cli {

QString SettingsFileOf(const TCommonOptions& options)
{
    return options.settings.isEmpty() ? TSettingsLocation::Default().ReadPath() : options.settings;
}

QString TCliHistory::path()
{
    if (FOptions.demo && FOptions.history.isEmpty()) {
        // A demo keeps its rows apart from the user's own history, as it does its settings.
        if (!FDemoDir) FDemoDir = std::make_unique<QTemporaryDir>();
        return FDemoDir->filePath(QLatin1String(kHistoryFileName));
    }
    const QString settings = SettingsFileOf(FOptions);
    THistoryLocation l;
    l.commandLine = FOptions.history;
    l.settingsKey = ReadSettingsFile(settings).HistoryFile;
    l.settingsDir = QFileInfo(settings).absolutePath();
    l.siteDir = TSettingsLocation::Default().siteDir;
    return l.Path();
}

std::unique_ptr<THistoryStore> TCliHistory::open(bool mayCreate, QString& error)
{
    error.clear();
    const QString file = path();
    if (!mayCreate && !QFileInfo::exists(file)) return nullptr;
    return TSqlHistoryStore::OpenFile(file, error);
}

TCliClock CheckClockOf(TCliLink& link, THistoryStore* history, const std::optional<TDeviceKey>& key)
{
    TCliClock c;
    c.bound = ReadSettingsFile(SettingsFileOf(link.options())).ClockWarnSeconds;
    if (!link.detection.RtcRead) return c;
    c.reading = ReadClockAgainstPc(link.access, link.settings.RtcValue);
    if (!c.reading) return c;
    std::vector<TClockReading> earlier;
    if (history && key && history->ClockReadings(*key, 20, earlier)) c.drift = ClockDrift(*c.reading, earlier);
    c.line = ClockLine(*c.reading, c.drift);
    if (ClockBeyond(*c.reading, c.bound))
        c.warning = ClockWarningLine(*c.reading, c.bound, QStringLiteral("with 'quentry-cli rtc sync'"));
    return c;
}

} // namespace quentry::cli
