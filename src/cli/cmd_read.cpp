// read: the logger into the site history and the store (everything, or only the rows the
// history lacks), with a progress bar and an estimate, then the image and the exports.
#include "clihistory.h"
#include "clilink.h"
#include "commands.h"
#include "elapsed.h"
#include "exports.h"
#include "historytexts.h"
#include "imagefile.h"
#include "logtexts.h"
#include "quentryversion.h"
#include "revisitread.h"
#include "waiting.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
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
    TReadWatch(TCliLink& link, TRevisitRead& read, int giveUpSeconds)
        : FLink(link), FRead(read), FGiveUpMs(qint64(giveUpSeconds) * 1000)
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
        if (!FRead.Active()) return;
        if (TTerminalFeedback::interrupted()) {
            FRead.Stop();
            return;
        }
        if (FLink.engine.RxCount() != FLastReplies) {
            FLastReplies = FLink.engine.RxCount();
            FSinceReply.restart();
        } else if (FGiveUpMs > 0 && FSinceReply.hasExpired(FGiveUpMs)) {
            FGaveUp = true;
            FRead.Abort();
        }
    }

    TCliLink& FLink;
    TRevisitRead& FRead;
    const qint64 FGiveUpMs;
    QTimer FTimer;
    QElapsedTimer FSinceReply;
    quint32 FLastReplies = 0;
    bool FGaveUp = false;
};

// Rows the history did not take, with no file asked for: kept in an image beside the
// history rather than lost.
QString keepAside(const TLogStore& store, const QString& historyFile, const TDeviceKey& key, TTerminalFeedback& f)
{
    const QString path = QFileInfo(historyFile).absoluteDir().filePath(
        QStringLiteral("unsaved-%1-%2.img").arg(key.text(), QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss")));
    TOperationContext context;
    context.Feedback = &f;
    return SaveImage(path, store, context).ok ? path : QString();
}

} // namespace

int RunRead(const TCommandLine& c, TTerminalFeedback& f)
{
    const bool keep = !c.common.noHistory;
    TExportTargets targets{c.out, c.ascii, c.dbf, c.csv};
    if (!targets.any() && !keep)
        return UsageError(f, QStringLiteral("read --no-history wants --out FILE.img, --ascii, --dbf or --csv"));
    if (c.newRows && !keep) return UsageError(f, QStringLiteral("--new reads what the site history lacks: it needs the history"));
    if (!c.arguments.isEmpty()) return UsageError(f, QStringLiteral("read takes no arguments"));
    std::optional<TDeviceKey> named;
    if (!c.device.isEmpty() && !(named = TDeviceKey::Parse(c.device)))
        return UsageError(f, QStringLiteral("'%1' is no transmitter key (such as 96-81-74565)").arg(c.device));
    // The communication log is written from the start: it must not land on a file either.
    const QString clash =
        FindFileClash({{QStringLiteral("the settings file"), c.common.settings}},
                      NamedTargets(targets) << TNamedPath{QStringLiteral("--log"), c.common.logFile});
    if (!clash.isEmpty()) return Fail(f, clash + QStringLiteral("; nothing was read or written"));
    QString error;
    if (!CheckTargets(targets, error)) return Fail(f, error);
    // A history that is refused stops the read before it starts: nothing would keep its rows.
    TCliHistory history(c.common);
    std::unique_ptr<THistoryStore> db;
    if (keep && !(db = history.open(true, error))) return Fail(f, error + QStringLiteral("; nothing was read"));

    TCliLink link(c.common, f);
    if (!link.open(error) || !link.detect(error)) return FailOrInterrupted(f, error);
    // Detection finishes the step it is in; an interrupt that came meanwhile starts no read.
    if (TTerminalFeedback::interrupted())
        return FailOrInterrupted(f, QStringLiteral("interrupted (%1) during detection; nothing was read")
                                        .arg(TTerminalFeedback::interruptName()));
    std::optional<TDeviceKey> key = link.deviceKey();
    if (key && named && *key != *named)
        return Fail(f, QStringLiteral("the transmitter detected is %1, not %2 (--device); nothing was read")
                           .arg(key->text(), named->text()));
    if (!key) key = named;
    if (db && !key) {
        if (c.newRows)
            return UsageError(f, QStringLiteral("over FAST the transmitter does not tell who it is: name it with "
                                                "--device KEY (see history list) to read what the site history lacks"));
        f.note(QStringLiteral("quentry-cli: over FAST the transmitter does not tell who it is, so this read is not "
                              "added to the site history (name it with --device KEY)"));
        db.reset();
    }
    const TCliClock clockCheck = CheckClockOf(link, db.get(), key);
    if (!clockCheck.line.isEmpty()) f.note(clockCheck.line);
    if (!clockCheck.warning.isEmpty()) f.note(clockCheck.warning);

    TLogStore store(&f);
    TElapsedClock clock;
    TReadProgress progress(f, clock);
    const bool pages = link.engine.Protokoll() == prt_MODE3;
    TRevisitRead read(link.access, link.reader);
    read.OnRow = [&](const THART_PAS_LOG_Row& row, int) {
        store.Log_AddToArray(row);
        // Page reads refresh the display once per 24 rows.
        const TLOGGEREngine& r = link.reader;
        if (!pages || r.FilePointerPos() % 24 == 0) progress.update(r.TotalRecordCount(), r.FilePointerPos(), row.index);
    };
    read.OnNote = [&f](const QString& text) { f.note(QStringLiteral("history: ") + text); };
    // The reader's own words for why it gave up, for the closing line.
    QString abortReason;
    const TMessageEvent shown = link.reader.OnMessage;
    link.reader.OnMessage = [&](TLOGGEREngine* r, const QString& cls, const QString& text) {
        if (cls == QLatin1String("LOG_ABORT") || cls == QLatin1String("LOG_OPEN") || cls == QLatin1String("LOG_LAYOUT"))
            abortReason = text;
        if (shown) shown(r, cls, text);
    };
    TRevisitRead::TOptions options;
    options.kind = c.newRows ? TRevisitRead::TKind::NewRows : TRevisitRead::TKind::All;
    options.history = db.get();
    if (key) options.visit.device = *key;
    options.visit.started = QDateTime::currentDateTimeUtc();
    options.visit.protocol = link.protocolName();
    options.visit.adapter = link.adapterName();
    options.visit.programVersion = QStringLiteral(QUENTRY_VERSION);
    options.visit.clock = clockCheck.reading;
    options.visit.driftSecondsPerDay = clockCheck.drift;
    options.interrupted = [] { return TTerminalFeedback::interrupted(); };
    TReadWatch watch(link, read, c.giveUpSeconds);

    clock.Start();
    watch.start();
    if (!read.Start(options)) return Fail(f, read.Result().historyError + QStringLiteral("; nothing was read"));
    while (read.Active()) WaitUntil([&read] { return !read.Active(); }, 1000);
    watch.stop();
    f.clearStatus();
    const TRevisitRead::TResult& result = read.Result();
    const int total = link.reader.TotalRecordCount();
    f.note(ResultRecText(int(link.reader.FilePointerPos()) + 1) + QStringLiteral("  ") +
           clock.FormatElapsed(ReadFinishedPercent(link.reader.FilePointerPos(), total)));
    if (db) f.note(result.line);
    const bool historyFailed = db && !result.historyKept;
    if (historyFailed)
        f.note(QStringLiteral("quentry-cli: the site history %1 did not take every row: %2").arg(db->Where(), result.historyError));

    // How the read ended decides the exit status; whatever was read is written in every case.
    const int rows = store.LogCount();
    const int missing = result.lost;
    const bool interrupted = TTerminalFeedback::interrupted();
    // A give-up that came during the closing request leaves a completed read completed.
    const bool completed = !interrupted && result.end == TReadEnd::Completed;
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
    int status = interrupted ? TTerminalFeedback::interruptedExitStatus() : completed ? (missing > 0 ? 3 : 0) : 4;
    if (historyFailed) status = 1;
    if (missing > 0) f.note(QStringLiteral("%1 row(s) could not be read and are missing").arg(missing));

    if (rows == 0) {
        if (completed && missing == 0) {
            if (!targets.any()) return historyFailed ? 1 : (f.note(QStringLiteral("quentry-cli: the logger is empty")), 0);
            return Fail(f, QStringLiteral("the logger is empty; nothing written"));
        }
        f.note(QStringLiteral("quentry-cli: %1; no row could be read, nothing written")
                   .arg(ending.isEmpty() ? QStringLiteral("the logger was read to its end") : ending));
        return status;
    }
    if (!targets.any()) {
        if (historyFailed) {
            const QString aside = keepAside(store, db->Where(), *key, f);
            f.note(aside.isEmpty() ? QStringLiteral("quentry-cli: the rows read could not be kept anywhere")
                                   : QStringLiteral("quentry-cli: the %1 row(s) read are kept in %2").arg(rows).arg(aside));
        } else if (!ending.isEmpty()) {
            f.note(QStringLiteral("quentry-cli: %1; the %2 row(s) read so far are in the site history").arg(ending).arg(rows));
        }
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
    else if (status != 0 && !historyFailed)
        f.note(QStringLiteral("quentry-cli: the %1 row(s) read so far were written").arg(rows));
    return status;
}

} // namespace quentry::cli
