// convert and info: work on a saved log image, no transmitter needed.
#include "commands.h"
#include "exports.h"
#include "imagefile.h"
#include "output.h"
#include "wire/datetime.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QMap>

namespace quentry::cli {

bool LoadImageArgument(const QString& path, TLogStore& store, TTerminalFeedback& f, QString& error)
{
    if (!QFileInfo::exists(path)) {
        error = QStringLiteral("%1 does not exist").arg(path);
        return false;
    }
    TOperationContext context;
    context.Feedback = &f;
    const TFileResult r = LoadImage(path, store, context);
    if (!r.ok) {
        error = QStringLiteral("%1 is not a usable log image: %2")
                    .arg(path, r.error.isEmpty() ? QStringLiteral("no rows") : TTerminalFeedback::oneLine(r.error));
        return false;
    }
    return true;
}

int RunConvert(const TCommandLine& c, TTerminalFeedback& f)
{
    if (c.arguments.size() != 1) return UsageError(f, QStringLiteral("convert wants one image file"));
    const TExportTargets targets{QString(), c.ascii, c.dbf, c.csv};
    if (!targets.any()) return UsageError(f, QStringLiteral("convert wants --ascii, --dbf or --csv"));
    const QString clash =
        FindFileClash({{QStringLiteral("the input image"), c.arguments[0]}}, NamedTargets(targets));
    if (!clash.isEmpty()) return Fail(f, clash + QStringLiteral("; nothing was written"));
    QString error;
    if (!CheckTargets(targets, error)) return Fail(f, error);
    TLogStore store(&f);
    if (!LoadImageArgument(c.arguments[0], store, f, error)) return Fail(f, error);
    if (!WriteTargets(targets, store, f, error)) return Fail(f, error);
    return 0;
}

int RunInfo(const TCommandLine& c, TTerminalFeedback& f)
{
    if (c.arguments.size() != 1) return UsageError(f, QStringLiteral("info wants one image file"));
    TLogStore store(&f);
    QString error;
    if (!LoadImageArgument(c.arguments[0], store, f, error)) return Fail(f, error);

    QMap<QString, int> events, errors, warnings;
    QDateTime first, last;
    int undated = 0, checksumErrors = 0;
    for (int i = 0; i < store.LogCount(); ++i) {
        const THART_PAS_LOG_Row& r = store.Row(i);
        events[r.eventstr.str()]++;
        if (r.event == kChecksumErrorEvent) ++checksumErrors;
        if (r.es.error & 0x00FF) errors[r.es.Errorstr.str()]++;
        if (r.es.error & 0x1F00) warnings[r.es.Warningstr.str()]++;
        const QDateTime t = toQDateTime(r.datetime);
        if (!t.isValid() || t.date().year() < 2001) {
            ++undated; // the stamp was out of range when read
            continue;
        }
        if (!first.isValid() || t < first) first = t;
        if (!last.isValid() || t > last) last = t;
    }
    TOutput out(c.common.json);
    out.field("File", "file", c.arguments[0]);
    out.field("Rows", "rows", store.LogCount());
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm");
    out.field("First", "first", first.isValid() ? first.toString(Qt::ISODate) : QString(), first.toString(format));
    out.field("Last", "last", last.isValid() ? last.toString(Qt::ISODate) : QString(), last.toString(format));
    out.field("Rows without a valid time stamp", "undated", undated);
    out.field("Rows that failed their check when read", "checksumErrors", checksumErrors);
    auto table = [&](const char* title, const char* key, const QMap<QString, int>& m) {
        QJsonObject o;
        out.line(QString::fromLatin1(title) + QStringLiteral(":"));
        for (auto it = m.begin(); it != m.end(); ++it) {
            o.insert(it.key(), it.value());
            out.line(QStringLiteral("  %1 %2").arg(it.value(), 7).arg(it.key()));
        }
        out.object().insert(QLatin1String(key), o);
    };
    table("Events", "events", events);
    table("Rows with errors", "errors", errors);
    table("Rows with warnings", "warnings", warnings);
    out.finish();
    return 0;
}

} // namespace quentry::cli
