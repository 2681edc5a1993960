#include "quentrywindows.h"

#include "comsetupdlg.h"
#include "logform.h"
#include "mainform.h"
#include "messageservice.h"
#include "yesnodlg.h"

namespace quentry {

TQuentryWindows::TQuentryWindows(const TSettingsLocation& settings, const QStringList& arguments)
    : Messages(std::make_unique<TMessageService>())
{
    MainForm = std::make_unique<TMainForm>(*Messages, settings, arguments);
    LogForm = std::make_unique<TLogForm>(Messages.get());
    ComSetupDlgForm = std::make_unique<TComSetupDlgForm>();
    YesNoBottomDlgForm = std::make_unique<TYesNoBottomDlgForm>(*Messages);
    MainForm->AttachWindows(LogForm.get(), ComSetupDlgForm.get(), YesNoBottomDlgForm.get());
}

TQuentryWindows::~TQuentryWindows()
{
    // The main window goes first: its engine may still report to the log window.
    MainForm.reset();
}

} // namespace quentry
