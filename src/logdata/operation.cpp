#include "operation.h"

#include "waiting.h"

#include <QFileInfo>

namespace quentry {

TRowLoopProgress::TRowLoopProgress(const TOperationContext& context, TElapsedClock& clock)
    : FContext(context), FClock(clock)
{
}

void TRowLoopProgress::Show(const TProgressOptions& options)
{
    FProgress.reset();
    FProgress = FContext.Feedback->showProgress(options);
    FPosition = options.position;
    FFiguresShown = false;
}

void TRowLoopProgress::SetPosition(int position)
{
    if (!FProgress || position == FPosition) return;
    FPosition = position;
    FProgress->setPosition(position);
}

void TRowLoopProgress::SetElapsedText(const QString& prefix, double percent)
{
    if (!FProgress) return;
    const TElapsedFigures f = FClock.Figures(percent);
    if (FFiguresShown && f == FFigures) return;
    FFigures = f;
    FFiguresShown = true;
    FProgress->setText(prefix + TElapsedClock::FormatFigures(f));
}

void TRowLoopProgress::ProcessEvents()
{
    if (FContext.ProcessEvents)
        FContext.ProcessEvents();
    else
        ProcessPendingEvents();
}

QString FileNameOnly(const QString& path) { return QFileInfo(path).fileName(); }

} // namespace quentry
