#pragma once
// Records what the core asked to show; can press Cancel after a number of checks.
#include "userfeedback.h"

#include <QStringList>
#include <memory>

namespace quentry::test {

class TRecordingFeedback final : public TUserFeedback
{
public:
    struct Shown
    {
        QStringList captions, texts;
        QList<int> positions;
        int checks = 0;
    };

    std::unique_ptr<TProgress> showProgress(const TProgressOptions& options) override;
    void showError(const QString& text, TMessageButton button) override;
    void beep() override { ++beeps; }

    // Cancel is reported from the n-th canceled() check on (counted over all dialogs).
    void cancelAfterChecks(int n) { FCancelAfter = n; }

    QList<TProgressOptions> opened;
    QList<std::shared_ptr<Shown>> dialogs;
    QStringList errors;
    QList<TMessageButton> errorButtons;
    int beeps = 0;
    int openNow = 0;
    int mostOpen = 0; // dialogs open at one time, at most

private:
    friend class TRecordingProgress;
    int FCancelAfter = -1;
    int FChecks = 0;
};

} // namespace quentry::test
