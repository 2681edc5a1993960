#include "filereplacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <atomic>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quentry {
namespace {

// The replacements under way, in plain bytes a signal handler may use.
struct TActiveSlot
{
    volatile std::sig_atomic_t used = 0;
    char file[4096] = {};
    char dir[4096] = {};
};
TActiveSlot gActive[4];

int Register(const QString& file, const QString& dir)
{
    const QByteArray f = QFile::encodeName(file), d = QFile::encodeName(dir);
    if (f.size() >= qsizetype(sizeof gActive[0].file) || d.size() >= qsizetype(sizeof gActive[0].dir))
        return -1;
    for (int i = 0; i < int(std::size(gActive)); ++i) {
        TActiveSlot& s = gActive[i];
        if (s.used) continue;
        std::memcpy(s.file, f.constData(), size_t(f.size()) + 1);
        std::memcpy(s.dir, d.constData(), size_t(d.size()) + 1);
        std::atomic_signal_fence(std::memory_order_seq_cst);
        s.used = 1;
        return i;
    }
    return -1;
}

void Unregister(int slot)
{
    if (slot >= 0) gActive[slot].used = 0;
}

// The file a path names once its links are followed; the path itself when it names none yet.
QString FollowLinks(const QString& path)
{
    QString p = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 32; ++hops) {
        const QFileInfo info(p);
        if (!info.isSymLink()) return p;
        if (info.exists()) return info.canonicalFilePath();
        p = info.symLinkTarget(); // a link to a file still to be made
    }
    return p;
}

#ifdef Q_OS_UNIX
bool SyncPath(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}
#endif

} // namespace

TFileReplacement::TFileReplacement(const QString& path) : FTarget(FollowLinks(path)) {}

TFileReplacement::~TFileReplacement()
{
    discard();
}

bool TFileReplacement::Begin()
{
    const QFileInfo target(FTarget);
    if (target.isDir()) {
        FError = QStringLiteral("%1 is a folder").arg(FTarget);
        return false;
    }
    const QString folder = target.absolutePath();
    if (target.exists() && !target.isFile()) {
        // A device or a pipe (/dev/stdout) has no old contents to keep: it is written as it is.
        FDirect = true;
        FWorkPath = FTarget;
        FWorkDir = folder;
        return true;
    }
    if (!QFileInfo(folder).isDir()) {
        FError = QStringLiteral("the folder %1 does not exist").arg(folder);
        return false;
    }
    QTemporaryDir work(
        QDir(folder).filePath(QLatin1Char('.') + target.fileName() + QStringLiteral(".writing-XXXXXX")));
    if (!work.isValid()) {
        FError = QStringLiteral("cannot write in %1: %2").arg(folder, work.errorString());
        return false;
    }
    work.setAutoRemove(false);
    FWorkDir = work.path();
    FWorkPath = QDir(FWorkDir).filePath(target.fileName());
    FSlot = Register(FWorkPath, FWorkDir);
    return true;
}

bool TFileReplacement::Commit()
{
    if (FWorkPath.isEmpty()) {
        FError = QStringLiteral("nothing was written");
        return false;
    }
    if (FDirect) return true;
    const QFileInfo written(FWorkPath);
    if (!written.isFile()) {
        FError = QStringLiteral("%1 was not written").arg(QFileInfo(FTarget).fileName());
        return false;
    }
    if (QFileInfo::exists(FTarget)) QFile::setPermissions(FWorkPath, QFile::permissions(FTarget));
#ifdef Q_OS_UNIX
    // On the disk before it takes the old file's place, or a power cut could leave neither.
    if (!SyncPath(FWorkPath, O_RDONLY)) {
        FError = QStringLiteral("%1 could not be flushed to the disk").arg(FWorkPath);
        return false;
    }
#endif
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(FWorkPath.toStdU16String()),
                            std::filesystem::path(FTarget.toStdU16String()), ec);
    if (ec) {
        FError = QStringLiteral("%1 could not be put in place: %2")
                     .arg(FTarget, QString::fromLocal8Bit(ec.message()));
        return false;
    }
#ifdef Q_OS_UNIX
    SyncPath(QFileInfo(FTarget).absolutePath(), O_RDONLY | O_DIRECTORY); // the rename itself
#endif
    discard();
    return true;
}

void TFileReplacement::discard()
{
    Unregister(FSlot);
    FSlot = -1;
    if (FWorkDir.isEmpty()) return;
    if (!FDirect) QDir(FWorkDir).removeRecursively(); // the private folder, never the device's
    FDirect = false;
    FWorkDir.clear();
    FWorkPath.clear();
}

bool WriteFileWhole(const QString& path, const QByteArray& bytes, QString* error)
{
    TFileReplacement replacement(path);
    const auto fail = [error](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (!replacement.Begin()) return fail(replacement.ErrorString());
    QFile file(replacement.WorkPath());
    if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());
    if (file.write(bytes) != bytes.size() || !file.flush()) return fail(file.errorString());
    file.close();
    if (!replacement.Commit()) return fail(replacement.ErrorString());
    return true;
}

void RemoveUnfinishedReplacements()
{
#ifdef Q_OS_UNIX
    for (TActiveSlot& s : gActive) {
        if (!s.used) continue;
        ::unlink(s.file);
        ::rmdir(s.dir);
    }
#endif
}

} // namespace quentry
