#include "exports.h"

#include "asciiexport.h"
#include "csvexport.h"
#include "dbaseexport.h"
#include "imagefile.h"
#include "logtable.h"

#include <QDir>
#include <QFileInfo>

namespace quentry::cli {

QList<TNamedPath> NamedTargets(const TExportTargets& t)
{
    return {{QStringLiteral("--out"), t.image},
            {QStringLiteral("--ascii"), t.ascii},
            {QStringLiteral("--dbf"), t.dbf},
            {QStringLiteral("--csv"), t.csv}};
}

bool CheckTargets(const TExportTargets& t, QString& error)
{
    for (const QString& path : {t.image, t.ascii, t.dbf, t.csv}) {
        if (path.isEmpty()) continue;
        const QFileInfo file(path);
        if (file.isDir()) {
            error = QStringLiteral("cannot write %1: it is a folder").arg(path);
            return false;
        }
        const QFileInfo dir(file.absolutePath());
        if (!dir.isDir()) {
            error = QStringLiteral("cannot write %1: directory %2 does not exist").arg(path, dir.filePath());
            return false;
        }
        if (!dir.isWritable() || (file.exists() && !file.isWritable())) {
            error = QStringLiteral("cannot write %1: permission denied").arg(path);
            return false;
        }
    }
    return true;
}

QString PartialName(const QString& path, const QDateTime& when)
{
    const QFileInfo file(path);
    const QString suffix = file.suffix().isEmpty() ? QString() : QLatin1Char('.') + file.suffix();
    const QString stem = (file.suffix().isEmpty() ? file.fileName() : file.completeBaseName()) +
                         QStringLiteral(".partial-") + when.toString(QStringLiteral("yyyy-MM-dd-HHmm"));
    const QDir folder = file.dir();
    QString name = folder.filePath(stem + suffix);
    for (int n = 2; QFileInfo(name).exists() || QFileInfo(name).isSymLink(); ++n)
        name = folder.filePath(QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(suffix));
    return name;
}

TExportTargets SparingExistingFiles(const TExportTargets& t, const QDateTime& when, TTerminalFeedback& f)
{
    TExportTargets spared = t;
    for (QString* path : {&spared.image, &spared.ascii, &spared.dbf, &spared.csv}) {
        if (path->isEmpty() || !QFileInfo::exists(*path)) continue;
        const QString partial = PartialName(*path, when);
        f.note(QStringLiteral("quentry-cli: %1 exists and is kept as it was; the rows read so far go to %2")
                   .arg(*path, partial));
        *path = partial;
    }
    return spared;
}

bool WriteTargets(const TExportTargets& t, const TLogStore& store, TTerminalFeedback& f, QString& error)
{
    TOperationContext context;
    context.Feedback = &f;
    auto written = [&](const QString& what, const QString& path, int rows) {
        f.note(QStringLiteral("%1: %2 (%3 rows)").arg(what, path).arg(rows));
    };
    auto failed = [&](const QString& path, const TFileResult& r) {
        error = QStringLiteral("%1 not written: %2").arg(path, TTerminalFeedback::oneLine(r.error));
        return false;
    };
    if (!t.image.isEmpty()) {
        const TFileResult r = SaveImage(t.image, store, context);
        if (!r.ok) return failed(t.image, r);
        written(QStringLiteral("image"), t.image, r.records);
    }
    if (!t.ascii.isEmpty()) {
        const TFileResult r = ExportAscii(t.ascii, store, context);
        if (!r.ok) return failed(t.ascii, r);
        written(QStringLiteral("ASCII"), t.ascii, r.records);
    }
    if (!t.dbf.isEmpty() || !t.csv.isEmpty()) {
        TLogTable table;
        if (!table.ConvertToTable(store, context)) {
            error = QStringLiteral("the log table conversion was cancelled");
            return false;
        }
        if (!t.dbf.isEmpty()) {
            const TFileResult r = ExportDbase(t.dbf, table.Model(), context);
            if (!r.ok) return failed(t.dbf, r);
            written(QStringLiteral("dBASE"), t.dbf, r.records);
        }
        if (!t.csv.isEmpty()) {
            const TFileResult r = ExportCsv(t.csv, table.Model(), context);
            if (!r.ok) return failed(t.csv, r);
            written(QStringLiteral("CSV"), t.csv, r.records);
        }
    }
    return true;
}

bool WriteTargets(const TExportTargets& t, int count, const TRowAt& rowAt, TTerminalFeedback& f, QString& error)
{
    TOperationContext context;
    context.Feedback = &f;
    const auto record = [&rowAt](int i) { return LogRecordFromRow(rowAt(i)); };
    const struct
    {
        const char* what;
        const QString& path;
        std::function<TFileResult()> write;
    } targets[] = {
        {"ASCII", t.ascii, [&] { return ExportAscii(t.ascii, count, rowAt, context); }},
        {"dBASE", t.dbf, [&] { return ExportDbase(t.dbf, count, record, context); }},
        {"CSV", t.csv, [&] { return ExportCsv(t.csv, count, record, context); }},
    };
    for (const auto& target : targets) {
        if (target.path.isEmpty()) continue;
        const TFileResult r = target.write();
        if (!r.ok) {
            error = QStringLiteral("%1 not written: %2").arg(target.path, TTerminalFeedback::oneLine(r.error));
            return false;
        }
        f.note(QStringLiteral("%1: %2 (%3 rows)").arg(QLatin1String(target.what), target.path).arg(r.records));
    }
    return true;
}

} // namespace quentry::cli
