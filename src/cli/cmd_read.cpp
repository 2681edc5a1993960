// read: the whole logger into the store, with a progress bar and an estimate, then the
// image and the exports.
#include "clilink.h"
#include "commands.h"
#include "elapsed.h"
#include "exports.h"
#include "logtexts.h"
#include "waiting.h"

#include <QTimer>

namespace quentry::cli {
namespace {

// The reading display: in place on a terminal, otherwise a plain line every 10 %.
class TReadProgress
{
public:
    TReadProgress(TTerminalFeedback& f, const TElapsedClock& clock) : FFeedback(f), FClock(clock) {}

    void update(int total, int position, int lastIndex)
    {
        const std::optional<int> percent = ReadGaugePercent(position, total);
        const QString time = FClock.FormatElapsed(percent.value_or(0));
        if (FFeedback.stderrIsTerminal()) {
            const int p = qBound(0, percent.value_or(0), 100);
            const QString bar = QString(p / 5, QLatin1Char('#')) + QString(20 - p / 5, QLatin1Char('.'));
            FFeedback.status(QStringLiteral("[%1] %2 % %3  %4")
                                 .arg(bar)
                                 .arg(p, 3)
                                 .arg(TotalRecText(total, position, lastIndex), time));
        } else if (percent && *percent / 10 > FLastTenth) {
            FLastTenth = *percent / 10;
            FFeedback.note(QStringLiteral("%1 % %2  %3").arg(*percent, 3).arg(TotalRecText(total, position, lastIndex), time));
        }
    }

private:
    TTerminalFeedback& FFeedback;
    const TElapsedClock& FClock;
    int FLastTenth = 0;
};

} // namespace

int RunRead(const TCommandLine& c, TTerminalFeedback& f)
{
    if (c.out.isEmpty()) return UsageError(f, QStringLiteral("read wants --out FILE.img"));
    if (!c.arguments.isEmpty()) return UsageError(f, QStringLiteral("read takes no arguments"));
    const TExportTargets targets{c.out, c.ascii, c.dbf, c.csv};
    QString error;
    if (!CheckTargets(targets, error)) return Fail(f, error);

    TCliLink link(c.common, f);
    if (!link.open(error) || !link.detect(error)) return Fail(f, error);

    TLogStore store(&f);
    TElapsedClock clock;
    TReadProgress progress(f, clock);
    const bool pages = link.engine.Protokoll() == prt_MODE3;
    link.reader.OnRdLogger = [&](TLOGGEREngine* r, const THART_PAS_LOG_Row& row) {
        store.Log_AddToArray(row);
        // Page reads refresh the display once per 24 rows.
        if (!pages || r->FilePointerPos() % 24 == 0) progress.update(r->TotalRecordCount(), r->FilePointerPos(), row.index);
    };
    link.engine.SetHeartBeatActive(false);
    QTimer interrupt;
    QObject::connect(&interrupt, &QTimer::timeout, [&link] {
        if (TTerminalFeedback::interrupted()) link.reader.Stop();
    });
    interrupt.start(100);

    clock.Start();
    if (pages) {
        link.reader.AssyReadByPage();
    } else {
        link.reader.InitReadByRecord();
        while (link.reader.Active()) WaitUntil([&link] { return !link.reader.Active(); }, 1000);
    }
    interrupt.stop();
    f.clearStatus();
    const int total = link.reader.TotalRecordCount();
    f.note(ResultRecText(int(link.reader.FilePointerPos()) + 1) + QStringLiteral("  ") +
           clock.FormatElapsed(ReadFinishedPercent(link.reader.FilePointerPos(), total)));
    if (link.reader.LostRecordCount() > 0)
        f.note(QStringLiteral("%1 row(s) could not be read and are missing").arg(link.reader.LostRecordCount()));

    if (store.LogCount() == 0) return Fail(f, QStringLiteral("no rows were read; nothing written"));
    if (!WriteTargets(targets, store, f, error)) return Fail(f, error);
    if (TTerminalFeedback::interrupted())
        return Fail(f, QStringLiteral("read interrupted; the %1 row(s) read so far were written").arg(store.LogCount()));
    return 0;
}

} // namespace quentry::cli
