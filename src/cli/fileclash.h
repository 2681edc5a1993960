#pragma once
// Refuses, before anything is written, a command whose outputs would overwrite one of its
// inputs or each other. Paths are compared as the files they name: after links and ".."
// are resolved, and by device and inode where both exist.
#include <QList>
#include <QString>

namespace quentry::cli {

struct TNamedPath
{
    QString role; // how the user named it: "--csv", "the input image"
    QString path; // empty: not given
};

// The first clash as a sentence ("--csv site.img would overwrite the input image site.img"),
// or empty when there is none.
QString FindFileClash(const QList<TNamedPath>& inputs, const QList<TNamedPath>& outputs);

// Whether two paths name the same file (one of them may not exist yet).
bool SameFile(const QString& a, const QString& b);

} // namespace quentry::cli
