#pragma once
// User feedback on a terminal: progress dialogs become one transient status line on
// stderr (only when stderr is a terminal), error boxes become "quentry-cli: ..." lines,
// and Ctrl-C is the Cancel button of whatever dialog is open.
#include "userfeedback.h"

#include <QString>
#include <QStringList>

namespace quentry::cli {

class TTerminalFeedback final : public TUserFeedback
{
public:
    TTerminalFeedback();

    std::unique_ptr<TProgress> showProgress(const TProgressOptions& options) override;
    void showError(const QString& text, TMessageButton button) override;
    void beep() override {}

    bool stderrIsTerminal() const { return FTty; }
    // The status line: shown in place on a terminal, not at all elsewhere.
    void status(const QString& line);
    void clearStatus();
    // A line that stays, on stderr.
    void note(const QString& line);
    // Error boxes are kept back while held; releasing shows them, or drops them when what
    // they say is beside the point (a scan that was interrupted "found no device").
    void holdErrors() { FHolding = true; }
    void releaseErrors(bool show);

    // Ctrl-C was pressed or SIGTERM came (the handler is installed once per process).
    // A second one ends the process at once, saying so.
    static bool interrupted();
    static void installInterruptHandler();
    // 130 after SIGINT, 143 after SIGTERM.
    static int interruptedExitStatus();
    static QString interruptName();
    // While files are written a second interrupt says that they are left incomplete.
    static void setWritingFiles(bool writing);

    // Message-box texts carry Windows line breaks; a terminal line does not.
    static QString oneLine(const QString& text);

private:
    bool FTty;
    int FStatusWidth = 0;
    bool FHolding = false;
    QStringList FHeld;
};

} // namespace quentry::cli
