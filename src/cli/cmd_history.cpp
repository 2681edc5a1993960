// history list | show | export | import: the site history without a transmitter.
#include "clihistory.h"
#include "commands.h"
#include "exports.h"
#include "historyimport.h"
#include "historyperiod.h"
#include "historytexts.h"
#include "imagefile.h"
#include "output.h"
#include "quentryversion.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>
#include <limits>

namespace quentry::cli {
namespace {

// An image file holds at most this many rows.
constexpr int kImageRows = 12288;
constexpr int kPage = 500; // visits, gaps and transmitters asked for at a time

QString isoStamp(const std::optional<qint64>& stamp)
{
    return stamp ? StampToDateTime(*stamp).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) : QString();
}
QJsonValue jsonStamp(const std::optional<qint64>& stamp) { return stamp ? QJsonValue(isoStamp(stamp)) : QJsonValue(); }
QString shownStamp(const std::optional<qint64>& stamp)
{
    return stamp ? StampToDateTime(*stamp).toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QStringLiteral("-");
}
QJsonValue orNull(const std::optional<double>& v) { return v ? QJsonValue(*v) : QJsonValue(); }

void printJson(const QJsonDocument& doc) { std::fputs(doc.toJson(QJsonDocument::Indented).constData(), stdout); }
void printLine(const QString& s) { std::fprintf(stdout, "%s\n", s.toLocal8Bit().constData()); }

// The period's bounds as stamps: a date alone starts at its first second, or as the end
// of a period lasts to its last.
std::optional<qint64> periodBound(const QString& text, bool end)
{
    const QDate day = QDate::fromString(text, Qt::ISODate);
    if (day.isValid() && text.size() == 10)
        return DateTimeToStamp(QDateTime(end ? day.addDays(1) : day, QTime(0, 0), Qt::UTC)) - (end ? 1 : 0);
    const QDateTime t = QDateTime::fromString(text, Qt::ISODate);
    if (!t.isValid()) return std::nullopt;
    return DateTimeToStamp(t);
}

struct TOpened
{
    TCliHistory history;
    std::unique_ptr<THistoryStore> store;
    explicit TOpened(const TCommonOptions& o) : history(o) {}
};

// The existing history, or why there is none.
bool openExisting(TOpened& h, QString& error)
{
    h.store = h.history.open(false, error);
    if (h.store) return true;
    if (error.isEmpty()) error = QStringLiteral("there is no site history at %1 yet").arg(h.history.path());
    return false;
}

bool knownTransmitter(THistoryStore& store, const TDeviceKey& key, TTransmitterSummary& s, QString& error)
{
    if (store.Transmitter(key, s)) return true;
    error = store.LastError().isEmpty()
                ? QStringLiteral("the site history %1 holds no transmitter %2 (see history list)").arg(store.Where(), key.text())
                : store.LastError();
    return false;
}

int runList(const TCommandLine& c, TTerminalFeedback& f)
{
    if (c.arguments.size() != 1) return UsageError(f, QStringLiteral("history list takes no more arguments"));
    TOpened h(c.common);
    QString error;
    if (!openExisting(h, error)) return Fail(f, error);
    QJsonArray list;
    if (!c.common.json)
        printLine(QStringLiteral("%1 %2  %3  %4 %5 %6")
                      .arg(QStringLiteral("Transmitter"), -16)
                      .arg(QStringLiteral("Rows"), 10)
                      .arg(QStringLiteral("First row"), -16)
                      .arg(QStringLiteral("Last row"), -16)
                      .arg(QStringLiteral("Visits"), 6)
                      .arg(QStringLiteral("Gaps"), 5));
    std::vector<TTransmitterSummary> page;
    for (int offset = 0;; offset += kPage) {
        if (!h.store->Transmitters(offset, kPage, page)) return Fail(f, h.store->LastError());
        for (const TTransmitterSummary& s : page) {
            QJsonObject o;
            o.insert("device", s.device.text());
            o.insert("rows", double(s.rows));
            o.insert("first", jsonStamp(s.first));
            o.insert("last", jsonStamp(s.last));
            o.insert("visits", s.visits);
            o.insert("gaps", s.gaps);
            list.append(o);
            if (!c.common.json)
                printLine(QStringLiteral("%1 %2  %3  %4 %5 %6")
                              .arg(s.device.text(), -16)
                              .arg(GroupedNumber(s.rows), 10)
                              .arg(shownStamp(s.first), -16)
                              .arg(shownStamp(s.last), -16)
                              .arg(s.visits, 6)
                              .arg(s.gaps, 5));
        }
        if (int(page.size()) < kPage) break;
    }
    if (c.common.json) printJson(QJsonDocument(list));
    return 0;
}

int runShow(const TCommandLine& c, TTerminalFeedback& f)
{
    if (c.arguments.size() != 2) return UsageError(f, QStringLiteral("history show wants one transmitter key"));
    const auto key = TDeviceKey::Parse(c.arguments[1]);
    if (!key) return UsageError(f, QStringLiteral("'%1' is no transmitter key (such as 96-81-74565)").arg(c.arguments[1]));
    TOpened h(c.common);
    QString error;
    TTransmitterSummary s;
    if (!openExisting(h, error) || !knownTransmitter(*h.store, *key, s, error)) return Fail(f, error);
    if (!c.common.json) {
        printLine(QStringLiteral("Transmitter %1: ").arg(key->text()) + HistoryMemoLine(&s).mid(14));
        printLine(QString());
        printLine(QStringLiteral("Visits (PC time, UTC):"));
    }
    QJsonArray visits, gaps;
    std::vector<TVisitRecord> vpage;
    for (int offset = 0;; offset += kPage) {
        if (!h.store->Visits(*key, offset, kPage, vpage)) return Fail(f, h.store->LastError());
        for (const TVisitRecord& v : vpage) {
            QJsonObject o;
            o.insert("started", v.started.toString(Qt::ISODate));
            o.insert("kind", VisitKindToken(v.kind));
            o.insert("rows_added", v.rowsAdded);
            o.insert("rows_known", v.rowsKnown);
            o.insert("rows_missing", v.rowsMissing);
            o.insert("ended", VisitEndToken(v.ended));
            o.insert("clock_offset_s", v.clock ? QJsonValue(v.clock->offsetSeconds) : QJsonValue());
            o.insert("drift_s_per_day", orNull(v.driftSecondsPerDay));
            visits.append(o);
            if (c.common.json) continue;
            QString line = QStringLiteral("  %1  %2 %3  %4 added, %5 known, %6 missing, %7")
                               .arg(v.started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                               .arg(VisitKindToken(v.kind), -6)
                               .arg(v.protocol == QLatin1String("file") ? v.adapter : v.protocol, -5)
                               .arg(GroupedNumber(v.rowsAdded))
                               .arg(GroupedNumber(v.rowsKnown))
                               .arg(GroupedNumber(v.rowsMissing))
                               .arg(VisitEndToken(v.ended));
            if (v.joinedIndex) line += QStringLiteral(", joined at index %1").arg(GroupedNumber(*v.joinedIndex));
            if (v.rowsConflicting) line += QStringLiteral(", %1 kept beside held rows").arg(v.rowsConflicting);
            if (v.clock) line += QStringLiteral("; ") + ClockLine(*v.clock, v.driftSecondsPerDay).mid(7);
            printLine(line);
            if (!v.note.isEmpty()) printLine(QStringLiteral("      ") + v.note);
        }
        if (int(vpage.size()) < kPage) break;
    }
    if (!c.common.json) {
        printLine(QString());
        printLine(s.gaps ? QStringLiteral("Gaps (the transmitter's time):") : QStringLiteral("Gaps: none"));
    }
    std::vector<TGapRecord> gpage;
    for (int offset = 0;; offset += kPage) {
        if (!h.store->Gaps(*key, offset, kPage, gpage)) return Fail(f, h.store->LastError());
        for (const TGapRecord& g : gpage) {
            QJsonObject o;
            o.insert("from_index", int(g.fromIndex));
            o.insert("to_index", int(g.toIndex));
            o.insert("from", jsonStamp(g.after));
            o.insert("to", jsonStamp(g.before));
            o.insert("cause", GapCauseToken(g.cause));
            gaps.append(o);
            if (!c.common.json)
                printLine(QStringLiteral("  %1 - %2  ").arg(shownStamp(g.after), shownStamp(g.before)) + GapText(g));
        }
        if (int(gpage.size()) < kPage) break;
    }
    if (c.common.json) {
        QJsonObject o;
        o.insert("visits", visits);
        o.insert("gaps", gaps);
        printJson(QJsonDocument(o));
    }
    return 0;
}

int runExport(const TCommandLine& c, TTerminalFeedback& f)
{
    if (c.arguments.size() != 2) return UsageError(f, QStringLiteral("history export wants one transmitter key"));
    const auto key = TDeviceKey::Parse(c.arguments[1]);
    if (!key) return UsageError(f, QStringLiteral("'%1' is no transmitter key (such as 96-81-74565)").arg(c.arguments[1]));
    const TExportTargets targets{c.out, c.ascii, c.dbf, c.csv};
    if (!targets.any()) return UsageError(f, QStringLiteral("history export wants --out, --ascii, --dbf or --csv"));
    const auto from = c.from.isEmpty() ? std::optional<qint64>(std::numeric_limits<qint64>::min()) : periodBound(c.from, false);
    const auto to = c.to.isEmpty() ? std::optional<qint64>(std::numeric_limits<qint64>::max()) : periodBound(c.to, true);
    if (!from || !to) return UsageError(f, QStringLiteral("--from and --to want a date or a date and time, such as 2026-03-01T06:00"));
    if (*from > *to) return UsageError(f, QStringLiteral("the period ends before it starts"));
    QString error;
    if (!CheckTargets(targets, error)) return Fail(f, error);
    TOpened h(c.common);
    TTransmitterSummary s;
    if (!openExisting(h, error) || !knownTransmitter(*h.store, *key, s, error)) return Fail(f, error);

    THistoryPeriod period(*h.store, *key, *from, *to);
    qint64 count = 0;
    if (!period.Count(count)) return Fail(f, period.Error());
    if (count == 0) return Fail(f, QStringLiteral("the record of %1 holds no row in that period").arg(key->text()));
    if (!targets.image.isEmpty() && count > kImageRows)
        return Fail(f, QStringLiteral("the period holds %1 rows, and an image file holds at most 12 288: name a shorter "
                                      "period with --from and --to, or write it with --ascii, --dbf or --csv")
                           .arg(GroupedNumber(count)));
    bool written = false;
    if (count <= kLogArrayRows) {
        TLogStore store(&f);
        if (!period.LoadInto(store)) return Fail(f, period.Error());
        written = WriteTargets(targets, store, f, error);
    } else {
        written = WriteTargets(targets, int(count), [&period](int i) -> const THART_PAS_LOG_Row& { return period.RowAt(i); },
                               f, error);
        if (written && !period.Error().isEmpty()) {
            // A page that did not read left empty rows in the files: they are no export.
            for (const QString& p : {targets.ascii, targets.dbf, targets.csv})
                if (!p.isEmpty()) QFile::remove(p);
            return Fail(f, period.Error() + QStringLiteral("; the files of the export were removed again"));
        }
    }
    return written ? 0 : Fail(f, error);
}

int runImport(const TCommandLine& c, TTerminalFeedback& f)
{
    if (c.arguments.size() != 2) return UsageError(f, QStringLiteral("history import wants one image file"));
    if (c.device.isEmpty()) return UsageError(f, QStringLiteral("history import wants --device KEY: an image does not say whose rows it holds"));
    const auto key = TDeviceKey::Parse(c.device);
    if (!key) return UsageError(f, QStringLiteral("'%1' is no transmitter key (such as 96-81-74565)").arg(c.device));
    const QString file = c.arguments[1];
    if (!QFileInfo::exists(file)) return Fail(f, QStringLiteral("%1 does not exist").arg(file));
    TLogStore store(&f);
    TOperationContext context;
    context.Feedback = &f;
    const TFileResult loaded = LoadImage(file, store, context);
    if (!loaded.ok)
        return Fail(f, QStringLiteral("%1 is not a usable log image: %2").arg(file, TTerminalFeedback::oneLine(loaded.error)));
    TCliHistory history(c.common);
    QString error;
    auto db = history.open(true, error);
    if (!db) return Fail(f, error);
    TVisitStart visit;
    visit.device = *key;
    visit.started = QDateTime::currentDateTimeUtc();
    visit.programVersion = QStringLiteral(QUENTRY_VERSION);
    const TImportResult r = ImportRows(*db, store, visit, QFileInfo(file).fileName());
    if (!r.ok) return Fail(f, r.error);
    if (r.skipped) f.note(QStringLiteral("%1 row(s) of the file had failed their check when read and were left out").arg(r.skipped));
    printLine(r.line);
    return 0;
}

} // namespace

int RunHistory(const TCommandLine& c, TTerminalFeedback& f)
{
    if (c.common.noHistory) return UsageError(f, QStringLiteral("history and --no-history do not go together"));
    const QString what = c.arguments.value(0);
    const bool exports = what == QLatin1String("export");
    const bool imports = what == QLatin1String("import");
    if (!exports && (!c.out.isEmpty() || !c.ascii.isEmpty() || !c.dbf.isEmpty() || !c.csv.isEmpty() || !c.from.isEmpty() ||
                     !c.to.isEmpty()))
        return UsageError(f, QStringLiteral("--out, --ascii, --dbf, --csv, --from and --to belong to history export"));
    if (!imports && !c.device.isEmpty()) return UsageError(f, QStringLiteral("--device belongs to history import"));
    if (what == QLatin1String("list")) return runList(c, f);
    if (what == QLatin1String("show")) return runShow(c, f);
    if (exports) return runExport(c, f);
    if (imports) return runImport(c, f);
    return UsageError(f, QStringLiteral("history wants list, show KEY, export KEY or import FILE.img --device KEY"));
}

} // namespace quentry::cli
