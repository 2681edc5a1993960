#include "waiting.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

namespace quentry {

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    if (done()) return true;
    QDeadlineTimer deadline(qMax(0, timeoutMs), Qt::PreciseTimer);
    // A timer at the deadline wakes the blocking event wait when nothing else arrives.
    QTimer wake;
    wake.setTimerType(Qt::PreciseTimer);
    wake.setSingleShot(true);
    wake.start(qMax(0, timeoutMs));
    while (!done()) {
        if (deadline.hasExpired()) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void ProcessPendingEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void WaitFor(int ms)
{
    bool expired = false;
    QTimer t;
    t.setTimerType(Qt::PreciseTimer);
    t.setSingleShot(true);
    QObject::connect(&t, &QTimer::timeout, [&expired] { expired = true; });
    t.start(qMax(0, ms));
    WaitUntil([&expired] { return expired; }, ms + 1000);
}

} // namespace quentry
