#include "terminalfeedback.h"

#include "filereplacement.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace quentry::cli {
namespace {

volatile std::sig_atomic_t gSignal = 0;  // the first SIGINT or SIGTERM
volatile std::sig_atomic_t gWriting = 0;

void say(const char* text, size_t size) { [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, text, size); }

void onInterrupt(int signal)
{
    if (gSignal == 0) {
        gSignal = signal;
        return;
    }
    static const char kWriting[] =
        "\nquentry-cli: interrupted again: stopped at once; the file being written was "
        "not put in place (an earlier file of its name is as it was), the files "
        "written before it are whole\n";
    static const char kOther[] = "\nquentry-cli: interrupted again: stopped at once\n";
    if (gWriting) say(kWriting, sizeof kWriting - 1);
    else say(kOther, sizeof kOther - 1);
    RemoveUnfinishedReplacements();
    ::_exit(128 + gSignal);
}

class TTerminalProgress final : public TProgress
{
public:
    TTerminalProgress(TTerminalFeedback& owner, const TProgressOptions& o)
        : FOwner(owner), FCaption(o.caption), FText(o.text), FMax(o.maximum), FPos(o.position),
          FInterruptedBefore(TTerminalFeedback::interrupted())
    {
        show();
    }
    ~TTerminalProgress() override { FOwner.clearStatus(); }
    void setCaption(const QString& c) override { FCaption = c; show(); }
    void setText(const QString& t) override { FText = t; show(); }
    void setRange(int, int maximum) override { FMax = maximum; }
    void setPosition(int p) override { FPos = p; show(); }
    // An interrupt cancels the dialog that is open when it comes; one that stopped a read
    // earlier does not cancel the saving of what was read.
    bool canceled() const override { return TTerminalFeedback::interrupted() && !FInterruptedBefore; }

private:
    void show()
    {
        QString line = TTerminalFeedback::oneLine(FText.isEmpty() ? FCaption : FCaption + ": " + FText);
        if (FMax > 0) line += QStringLiteral(" (%1/%2)").arg(qMin(FPos, FMax)).arg(FMax);
        FOwner.status(line);
    }

    TTerminalFeedback& FOwner;
    QString FCaption, FText;
    int FMax, FPos;
    bool FInterruptedBefore;
};

} // namespace

TTerminalFeedback::TTerminalFeedback() : FTty(::isatty(STDERR_FILENO) == 1) {}

std::unique_ptr<TProgress> TTerminalFeedback::showProgress(const TProgressOptions& options)
{
    return std::make_unique<TTerminalProgress>(*this, options);
}

void TTerminalFeedback::showError(const QString& text, TMessageButton)
{
    const QString line = QStringLiteral("quentry-cli: ") + oneLine(text);
    if (FHolding) FHeld << line;
    else note(line);
}

void TTerminalFeedback::releaseErrors(bool show)
{
    FHolding = false;
    if (show)
        for (const QString& line : FHeld) note(line);
    FHeld.clear();
}

void TTerminalFeedback::status(const QString& line)
{
    if (!FTty) return;
    QString shown = line.left(150);
    const int pad = qMax(0, FStatusWidth - int(shown.size()));
    std::fprintf(stderr, "\r%s%*s", shown.toLocal8Bit().constData(), pad, "");
    std::fflush(stderr);
    FStatusWidth = int(shown.size());
}

void TTerminalFeedback::clearStatus()
{
    if (!FTty || FStatusWidth == 0) return;
    std::fprintf(stderr, "\r%*s\r", FStatusWidth, "");
    std::fflush(stderr);
    FStatusWidth = 0;
}

void TTerminalFeedback::note(const QString& line)
{
    clearStatus();
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

bool TTerminalFeedback::interrupted() { return gSignal != 0; }

int TTerminalFeedback::interruptedExitStatus() { return 128 + (gSignal ? int(gSignal) : SIGINT); }

QString TTerminalFeedback::interruptName() { return gSignal == SIGTERM ? QStringLiteral("SIGTERM") : QStringLiteral("Ctrl-C"); }

void TTerminalFeedback::setWritingFiles(bool writing) { gWriting = writing ? 1 : 0; }

void TTerminalFeedback::installInterruptHandler()
{
    struct sigaction sa = {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
}

QString TTerminalFeedback::oneLine(const QString& text)
{
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    s.replace(QStringLiteral("\n\r"), QStringLiteral(" "));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return s.simplified();
}

} // namespace quentry::cli
