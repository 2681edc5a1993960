#pragma once
// The one place where the program shows something modal or long-running: progress
// dialogs (with optional Cancel), the hourglass cursor and message boxes. It is the
// widget implementation of TUserFeedback for the core, and the windows use it for
// their own boxes. Tests queue answers so no modal box ever waits for a person.
#include "userfeedback.h"

#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <functional>

class QWidget;
class QDialog;

namespace quentry {

// One file dialog as the program asks for it. The filter is in Qt's form
// ("Logger Image files (*.img);;All files (*.*)").
// The texts keep the line breaks they were written with ("\r\n", "\n\r" or a lone "\r");
// a box or progress dialog shows one break for each.
QString DisplayText(const QString& text);

struct TFileDialogRequest
{
    enum class TMode : quint8 { Open, Save };
    TMode mode = TMode::Save;
    QString caption;
    QString directory;
    QString fileName;      // the name proposed, usually without its extension
    QString filter;
    QString defaultSuffix; // added to a chosen name that has none
    bool confirmOverwrite = false;
};

// One message box as the program asks for it.
struct TMessage
{
    QMessageBox::Icon icon = QMessageBox::Critical;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    TCentre centre = TCentre::Screen;
};

class TMessageService final : public TUserFeedback
{
public:
    // The window that boxes and dialogs centred "on the main window" are centred on.
    void setMainWindow(QWidget* window) { FMainWindow = window; }
    QWidget* mainWindow() const { return FMainWindow; }

    // Shows a modal message box and returns the button pressed.
    QMessageBox::StandardButton show(const TMessage& message);
    // The shell's error box: caption "Error", an OK button, centred on the screen.
    void error(const QString& text) { show({QMessageBox::Critical, QStringLiteral("Error"), text}); }

    // Runs a modal dialog of our own (Yes/No, setup, value editor) and returns its result.
    int exec(QDialog& dialog, TCentre centre);

    // TUserFeedback
    std::unique_ptr<TProgress> showProgress(const TProgressOptions& options) override;
    void showError(const QString& text, TMessageButton button = TMessageButton::Ok) override;
    void beep() override;

    // A file dialog; the chosen path, or empty when it was cancelled. One without a
    // directory starts in fileDialogFolder().
    QString getFileName(const TFileDialogRequest& request);
    QString getSaveFileName(TFileDialogRequest request)
    {
        request.mode = TFileDialogRequest::TMode::Save;
        return getFileName(request);
    }
    QString getOpenFileName(TFileDialogRequest request)
    {
        request.mode = TFileDialogRequest::TMode::Open;
        return getFileName(request);
    }

    // Where file dialogs start: the folder of the file last chosen or used, else the
    // user's documents folder, never the program's own (an installed one cannot be written).
    QString fileDialogFolder() const;
    // A file the user chose or opened some other way (dropped, named at start).
    void noteFileUsed(const QString& path);

    // Centres a top-level widget on the screen or on the main window.
    void centre(QWidget& widget, TCentre where) const;

    // --- for tests ---------------------------------------------------------------
    // While answers are queued, boxes and dialogs are not shown: each takes the next
    // answer. A box answer is the button; a dialog answer may also change the dialog
    // (tick a box, pick an entry) before its result is returned. With an empty queue
    // and scripted mode on, boxes take their default button and dialogs are rejected.
    using TDialogAnswer = std::function<int(QDialog&)>;
    void setScripted(bool on) { FScripted = on; }
    bool scripted() const { return FScripted; }
    void queueAnswer(QMessageBox::StandardButton button) { FBoxAnswers.append(button); }
    void queueDialogAnswer(TDialogAnswer answer) { FDialogAnswers.append(std::move(answer)); }
    const QList<TMessage>& shownMessages() const { return FShown; }
    void clearShown() { FShown.clear(); }
    // File dialogs take the next queued path as if it had been chosen (the default suffix
    // added as the dialog would); an empty path, or an empty queue, is Cancel.
    void queueFileName(const QString& path) { FFileAnswers.append(path); }
    const QList<TFileDialogRequest>& shownFileDialogs() const { return FFileDialogs; }

private:
    QPointer<QWidget> FMainWindow;
    bool FScripted = false;
    QList<QMessageBox::StandardButton> FBoxAnswers;
    QList<TDialogAnswer> FDialogAnswers;
    QList<TMessage> FShown;
    QList<QString> FFileAnswers;
    QString FLastFolder;
    QList<TFileDialogRequest> FFileDialogs;
};

// The hourglass while it lives; restored on every way out of a scope.
class TWaitCursor
{
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

} // namespace quentry
