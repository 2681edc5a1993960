#pragma once
// What every long operation of the shell (conversion, image save and load, exports) is
// run with: where it reports, its clock, whether the full log is on, and how it lets the
// event loop run. A loop processes pending events after every kRowsPerEventPump-th row.
#include "elapsed.h"
#include "userfeedback.h"

#include <functional>
#include <memory>

namespace quentry {

constexpr int kRowsPerEventPump = 100;

struct TOperationContext
{
    TUserFeedback* Feedback = &silentFeedback();
    TElapsedClock* Clock = nullptr;       // StartStamp is set by the operation; none: a clock of its own
    bool FullLog = false;                 // result lines are shown only with the full log
    std::function<void()> ProcessEvents;  // none: ProcessPendingEvents
};

// One progress dialog driven by a row loop. Position and text reach the dialog only when
// they change, so a loop over 12 288 rows costs the dialog a few hundred updates.
class TRowLoopProgress
{
public:
    TRowLoopProgress(const TOperationContext& context, TElapsedClock& clock);

    void Show(const TProgressOptions& options);
    void Hide() { FProgress.reset(); }
    bool Shown() const { return bool(FProgress); }

    void SetPosition(int position);
    bool Canceled() const { return FProgress && FProgress->canceled(); }
    // prefix + FormatElapsed(percent), passed on when the figures changed.
    void SetElapsedText(const QString& prefix, double percent);
    // After row i of a loop: every kRowsPerEventPump-th row lets the event loop run.
    void AfterRow(int i)
    {
        if ((i + 1) % kRowsPerEventPump == 0) ProcessEvents();
    }
    void ProcessEvents();

private:
    const TOperationContext& FContext;
    TElapsedClock& FClock;
    std::unique_ptr<TProgress> FProgress;
    int FPosition = 0;
    TElapsedFigures FFigures;
    bool FFiguresShown = false;
};

// The file name without its directory, as the dialogs and result lines show it.
QString FileNameOnly(const QString& path);

} // namespace quentry
