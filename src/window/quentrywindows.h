#pragma once
// The program's windows, created once at start in their order (main window, log window,
// setup dialog, Yes/No dialog) and living until it ends, with the message service they
// all show their boxes through.
#include "settingsfile.h"

#include <QStringList>
#include <memory>

namespace quentry {

class TComSetupDlgForm;
class TLogForm;
class TMainForm;
class TMessageService;
class TYesNoBottomDlgForm;

class TQuentryWindows
{
public:
    TQuentryWindows(const TSettingsLocation& settings, const QStringList& arguments);
    ~TQuentryWindows();

    std::unique_ptr<TMessageService> Messages;
    std::unique_ptr<TMainForm> MainForm;
    std::unique_ptr<TLogForm> LogForm;
    std::unique_ptr<TComSetupDlgForm> ComSetupDlgForm;
    std::unique_ptr<TYesNoBottomDlgForm> YesNoBottomDlgForm;
};

} // namespace quentry
