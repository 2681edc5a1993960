#pragma once
// A file written under a private folder beside its final place and renamed over it only
// once it is whole: a crash, a full disk or a cancel leaves the old file or the new one,
// never half of one. Every writer of logger rows (image, ASCII, dBASE, CSV) goes through it.
#include <QByteArray>
#include <QString>

namespace quentry {

class TFileReplacement
{
public:
    explicit TFileReplacement(const QString& path);
    // A replacement that was not committed is removed; the old file stays as it was.
    ~TFileReplacement();
    TFileReplacement(const TFileReplacement&) = delete;
    TFileReplacement& operator=(const TFileReplacement&) = delete;

    // Makes the private folder. False (with ErrorString) when the target is a folder or
    // its folder cannot be written. A device or a pipe is written directly: it has no old
    // contents to keep.
    bool Begin();
    // Where the writer writes: a file of the target's own name in the private folder, so a
    // writer that names its contents after its file (the dBASE table) sees the real name.
    QString WorkPath() const { return FWorkPath; }
    QString WorkDirectory() const { return FWorkDir; }
    // The file that is replaced: the path with its links followed.
    QString TargetPath() const { return FTarget; }

    // Puts the written file in place of the target, with the permissions of the file it
    // replaces. False (with ErrorString) leaves the target as it was.
    bool Commit();
    QString ErrorString() const { return FError; }

private:
    void discard();

    QString FTarget;
    QString FWorkDir;
    QString FWorkPath;
    QString FError;
    int FSlot = -1; // where a hard stop finds it to remove
    bool FDirect = false;
};

// Writes bytes to path through a replacement; false with the reason in *error.
bool WriteFileWhole(const QString& path, const QByteArray& bytes, QString* error);

// For a process that ends at once (a second Ctrl-C): removes the private folders of the
// replacements under way. Safe inside a signal handler.
void RemoveUnfinishedReplacements();

} // namespace quentry
