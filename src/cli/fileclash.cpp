#include "fileclash.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace quentry::cli {
namespace {

// The file a path names: links followed, "." and ".." gone; for a file still to be made,
// its folder resolved and its own name kept.
QString Resolved(const QString& path)
{
    QString p = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 32; ++hops) {
        const QFileInfo info(p);
        if (info.exists()) return info.canonicalFilePath();
        if (!info.isSymLink()) break;
        p = info.symLinkTarget(); // a link to a file not made yet
    }
    const QFileInfo info(p);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return QDir::cleanPath((folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') +
                           info.fileName());
}

} // namespace

bool SameFile(const QString& a, const QString& b)
{
    if (Resolved(a) == Resolved(b)) return true;
#ifdef Q_OS_UNIX
    // Two names of one file (a hard link, a bind mount).
    struct stat sa = {};
    struct stat sb = {};
    if (::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
        ::stat(QFile::encodeName(b).constData(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#endif
    return false;
}

QString FindFileClash(const QList<TNamedPath>& inputs, const QList<TNamedPath>& outputs)
{
    for (int i = 0; i < outputs.size(); ++i) {
        const TNamedPath& out = outputs[i];
        if (out.path.isEmpty()) continue;
        for (const TNamedPath& in : inputs)
            if (!in.path.isEmpty() && SameFile(out.path, in.path))
                return QStringLiteral("%1 %2 would overwrite %3 %4")
                    .arg(out.role, out.path, in.role, in.path);
        for (int j = 0; j < i; ++j)
            if (!outputs[j].path.isEmpty() && SameFile(out.path, outputs[j].path))
                return QStringLiteral("%1 %2 and %3 %4 name the same file")
                    .arg(outputs[j].role, outputs[j].path, out.role, out.path);
    }
    return {};
}

} // namespace quentry::cli
