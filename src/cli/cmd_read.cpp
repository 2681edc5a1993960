// read: the whole logger into the store, with a progress bar and an estimate, then the
// image and the exports.
#include "clilink.h"
#include "commands.h"
#include "elapsed.h"
#include "exports.h"
#include "logtexts.h"
#include "waiting.h"

#include <QElapsedTimer>
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

// Watches a running read from outside the reader: Ctrl-C or SIGTERM stop it (the logger is
// closed after the transaction under way), and a line that has given no good reply for
// the give-up time ends it at once, without more traffic.
class TReadWatch
{
public:
    TReadWatch(TCliLink& link, int giveUpSeconds) : FLink(link), FGiveUpMs(qint64(giveUpSeconds) * 1000)
    {
        FTimer.setInterval(100);
        QObject::connect(&FTimer, &QTimer::timeout, [this] { tick(); });
    }

    void start()
    {
        FLastReplies = FLink.engine.RxCount();
        FSinceReply.start();
        FTimer.start();
    }
    void stop() { FTimer.stop(); }
    bool gaveUp() const { return FGaveUp; }

private:
    void tick()
    {
        if (!FLink.reader.Active()) return;
        if (TTerminalFeedback::interrupted()) {
            FLink.reader.Stop();
            return;
        }
        if (FLink.engine.RxCount() != FLastReplies) {
            FLastReplies = FLink.engine.RxCount();
            FSinceReply.restart();
        } else if (FGiveUpMs > 0 && FSinceReply.hasExpired(FGiveUpMs)) {
            FGaveUp = true;
            FLink.reader.Abort();
        }
    }

    TCliLink& FLink;
    const qint64 FGiveUpMs;
    QTimer FTimer;
    QElapsedTimer FSinceReply;
    quint32 FLastReplies = 0;
    bool FGaveUp = false;
};

} // namespace

int RunRead(const TCommandLine& c, TTerminalFeedback& f)
{
    if (c.out.isEmpty()) return UsageError(f, QStringLiteral("read wants --out FILE.img"));
    if (!c.arguments.isEmpty()) return UsageError(f, QStringLiteral("read takes no arguments"));
    TExportTargets targets{c.out, c.ascii, c.dbf, c.csv};
    // The communication log is written from the start: it must not land on a file either.
    const QString clash =
        FindFileClash({{QStringLiteral("the settings file"), c.common.settings}},
                      NamedTargets(targets) << TNamedPath{QStringLiteral("--log"), c.common.logFile});
    if (!clash.isEmpty()) return Fail(f, clash + QStringLiteral("; nothing was read or written"));
    QString error;
    if (!CheckTargets(targets, error)) return Fail(f, error);

    TCliLink link(c.common, f);
    if (!link.open(error) || !link.detect(error)) return FailOrInterrupted(f, error);
    // Detection finishes the step it is in; an interrupt that came meanwhile starts no read.
    if (TTerminalFeedback::interrupted())
        return FailOrInterrupted(f, QStringLiteral("interrupted (%1) during detection; nothing was read")
                                        .arg(TTerminalFeedback::interruptName()));

    TLogStore store(&f);
    TElapsedClock clock;
    TReadProgress progress(f, clock);
    const bool pages = link.engine.Protokoll() == prt_MODE3;
    link.reader.OnRdLogger = [&](TLOGGEREngine* r, const THART_PAS_LOG_Row& row) {
        store.Log_AddToArray(row);
        // Page reads refresh the display once per 24 rows.
        if (!pages || r->FilePointerPos() % 24 == 0) progress.update(r->TotalRecordCount(), r->FilePointerPos(), row.index);
    };
    // The reader's own words for why it gave up, for the closing line.
    QString abortReason;
    const TMessageEvent shown = link.reader.OnMessage;
    link.reader.OnMessage = [&](TLOGGEREngine* r, const QString& cls, const QString& text) {
        if (cls == QLatin1String("LOG_ABORT") || cls == QLatin1String("LOG_OPEN") || cls == QLatin1String("LOG_LAYOUT"))
            abortReason = text;
        if (shown) shown(r, cls, text);
    };
    link.engine.SetHeartBeatActive(false);
    TReadWatch watch(link, c.giveUpSeconds);

    clock.Start();
    watch.start();
    if (pages) {
        link.reader.AssyReadByPage();
    } else {
        link.reader.InitReadByRecord();
        while (link.reader.Active()) WaitUntil([&link] { return !link.reader.Active(); }, 1000);
    }
    watch.stop();
    f.clearStatus();
    const int total = link.reader.TotalRecordCount();
    f.note(ResultRecText(int(link.reader.FilePointerPos()) + 1) + QStringLiteral("  ") +
           clock.FormatElapsed(ReadFinishedPercent(link.reader.FilePointerPos(), total)));

    // How the read ended decides the exit status; whatever was read is written in every case.
    const int rows = store.LogCount();
    const int missing = link.reader.LostRecordCount();
    const bool interrupted = TTerminalFeedback::interrupted();
    // A give-up that came during the closing request leaves a completed read completed.
    const bool completed = !interrupted && link.reader.ReadEnd() == TReadEnd::Completed;
    QString ending;
    if (interrupted) {
        ending = QStringLiteral("read interrupted (%1)").arg(TTerminalFeedback::interruptName());
    } else if (!completed && watch.gaveUp()) {
        ending = QStringLiteral("read given up: no reply from the transmitter for %1 s").arg(c.giveUpSeconds);
    } else if (!completed) {
        if (!link.engine.Connected())
            ending = QStringLiteral("read cut short: the port %1 was lost").arg(link.portName());
        else
            ending = QStringLiteral("read cut short: %1").arg(abortReason.isEmpty() ? QStringLiteral("the reader stopped") : abortReason);
    }
    const int status = interrupted ? TTerminalFeedback::interruptedExitStatus() : completed ? (missing > 0 ? 3 : 0) : 4;
    if (missing > 0) f.note(QStringLiteral("%1 row(s) could not be read and are missing").arg(missing));

    if (rows == 0) {
        if (completed && missing == 0) return Fail(f, QStringLiteral("the logger is empty; nothing written"));
        f.note(QStringLiteral("quentry-cli: %1; no row could be read, nothing written")
                   .arg(ending.isEmpty() ? QStringLiteral("the logger was read to its end") : ending));
        return status;
    }
    if (!ending.isEmpty()) f.note(QStringLiteral("quentry-cli: %1; writing the %2 row(s) read so far").arg(ending).arg(rows));
    // A read that did not end complete never takes the place of a file already there.
    if (!completed) targets = SparingExistingFiles(targets, QDateTime::currentDateTime(), f);
    // The interrupt that stopped the read does not cancel the saving of what was read; a
    // second one ends the program at once and says the files are incomplete.
    TTerminalFeedback::setWritingFiles(true);
    const bool written = WriteTargets(targets, store, f, error);
    TTerminalFeedback::setWritingFiles(false);
    if (!written) return Fail(f, error);
    if (status == 3)
        f.note(QStringLiteral("quentry-cli: the logger was read to its end; %1 row(s) written, %2 row(s) missing")
                   .arg(rows)
                   .arg(missing));
    else if (status != 0)
        f.note(QStringLiteral("quentry-cli: the %1 row(s) read so far were written").arg(rows));
    return status;
}

} // namespace quentry::cli
