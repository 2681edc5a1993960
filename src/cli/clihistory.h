#pragma once
// The site history as a quentry-cli run reaches it: where it lives for these options, and
// with --demo a private one in a temporary directory unless --history names one.
#include "clilink.h"
#include "clioptions.h"
#include "historystore.h"

#include <QTemporaryDir>
#include <memory>

namespace quentry::cli {

class TCliHistory
{
public:
    explicit TCliHistory(const TCommonOptions& options) : FOptions(options) {}

    // The file these options name.
    QString path();
    // Opens it; with mayCreate false a missing file is no error but no history (null, error
    // empty). A refused file: null with the reason.
    std::unique_ptr<THistoryStore> open(bool mayCreate, QString& error);

private:
    const TCommonOptions& FOptions;
    std::unique_ptr<QTemporaryDir> FDemoDir;
};

// The settings file these options take their defaults from.
QString SettingsFileOf(const TCommonOptions& options);

// The clock check after a detection, with the drift against the history's earlier visits.
struct TCliClock
{
    std::optional<TClockReading> reading;
    std::optional<double> drift;
    int bound = 60;     // seconds off that are warned about (ClockWarnSeconds=)
    QString line;       // "Clock: ..." or empty
    QString warning;    // empty when within the bound
};
TCliClock CheckClockOf(TCliLink& link, THistoryStore* history, const std::optional<TDeviceKey>& key);

} // namespace quentry::cli
