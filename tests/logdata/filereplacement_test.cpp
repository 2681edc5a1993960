// Files of rows are replaced whole or not at all: the replacement helper on its own, and
// every writer through it.
#include "asciiexport.h"
#include "csvexport.h"
#include "dbaseexport.h"
#include "filereplacement.h"
#include "imagefile.h"
#include "logtable.h"
#include "recordingfeedback.h"
#include "testrows.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace quentry;

namespace {

using test::WriteFileBytes;

QByteArray ReadAll(const QString& path) { return test::FileBytes(path); }
bool WriteAll(const QString& path, const QByteArray& bytes) { return WriteFileBytes(path, bytes); }

// Every entry of a folder, hidden ones too.
QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool WriteThrough(TFileReplacement& r, const QByteArray& bytes)
{
    return r.Begin() && WriteAll(r.WorkPath(), bytes);
}

} // namespace

TEST(FileReplacement, TheOldFileStaysUntilTheNewOneIsWhole)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("site.img");
    ASSERT_TRUE(WriteAll(target, "old rows"));
    ASSERT_TRUE(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));

    {
        TFileReplacement r(target);
        ASSERT_TRUE(WriteThrough(r, "half of the new"));
        EXPECT_EQ(QFileInfo(r.WorkPath()).fileName(), "site.img") << "the writer sees the file's own name";
        EXPECT_EQ(ReadAll(target), "old rows") << "nothing in place before the commit";
    } // not committed: a crash, a cancel, a full disk
    EXPECT_EQ(ReadAll(target), "old rows");
    EXPECT_EQ(Entries(dir.path()), QStringList{"site.img"}) << "nothing left beside it";

    TFileReplacement r(target);
    ASSERT_TRUE(WriteThrough(r, "all of the new"));
    ASSERT_TRUE(r.Commit()) << r.ErrorString().toStdString();
    EXPECT_EQ(ReadAll(target), "all of the new");
    EXPECT_EQ(QFile::permissions(target) & 0x7077, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    EXPECT_EQ(Entries(dir.path()), QStringList{"site.img"});
}

TEST(FileReplacement, LinksAreFollowedAndFoldersRefused)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("archive");
    const QString real = dir.filePath("archive/site.img");
    ASSERT_TRUE(WriteAll(real, "old"));
    ASSERT_TRUE(QFile::link(real, dir.filePath("current.img")));
    ASSERT_TRUE(QFile::link(dir.filePath("archive/new.img"), dir.filePath("dangling.img")));

    QString error;
    ASSERT_TRUE(WriteFileWhole(dir.filePath("current.img"), "new", &error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(dir.filePath("current.img")).isSymLink()) << "the link stays a link";
    EXPECT_EQ(ReadAll(real), "new");
    ASSERT_TRUE(WriteFileWhole(dir.filePath("dangling.img"), "made", &error)) << error.toStdString();
    EXPECT_EQ(ReadAll(dir.filePath("archive/new.img")), "made");

    EXPECT_FALSE(WriteFileWhole(dir.filePath("archive"), "x", &error));
    EXPECT_EQ(error, dir.filePath("archive") + " is a folder");
    EXPECT_FALSE(WriteFileWhole(dir.filePath("no-such-folder/x.img"), "x", &error));
    EXPECT_TRUE(error.startsWith("the folder ")) << error.toStdString();

    // A device has no old contents: written as it is, and its folder left alone.
    const QStringList dev = Entries("/dev");
    EXPECT_TRUE(WriteFileWhole("/dev/null", "x", &error)) << error.toStdString();
    EXPECT_EQ(Entries("/dev"), dev);
}

TEST(FileReplacement, AHardStopRemovesWhatIsUnderWay)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("site.csv");
    ASSERT_TRUE(WriteAll(target, "old"));
    TFileReplacement r(target);
    ASSERT_TRUE(WriteThrough(r, "new, half"));
    EXPECT_EQ(Entries(dir.path()).size(), 2);
    RemoveUnfinishedReplacements(); // what the second Ctrl-C does before the process ends
    EXPECT_EQ(Entries(dir.path()), QStringList{"site.csv"});
    EXPECT_EQ(ReadAll(target), "old");
}

TEST(FileReplacement, EveryWriterReplacesTheOldFileAndLeavesNothingBeside)
{
    QTemporaryDir dir;
    test::TRecordingFeedback feedback;
    TOperationContext context;
    context.Feedback = &feedback;
    TLogStore store;
    test::FillStore(store, 40);
    TLogTable table;
    ASSERT_TRUE(table.ConvertToTable(store, context));

    const struct
    {
        const char* name;
        std::function<TFileResult(const QString&)> write;
    } writers[] = {
        {"site.img", [&](const QString& p) { return SaveImage(p, store, context); }},
        {"site.txt", [&](const QString& p) { return ExportAscii(p, store, context, ':'); }},
        {"site.dbf", [&](const QString& p) { return ExportDbase(p, table.Model(), context); }},
        {"site.csv", [&](const QString& p) { return ExportCsv(p, table.Model(), context); }},
    };
    for (const auto& w : writers) {
        SCOPED_TRACE(w.name);
        const QString path = dir.filePath(QString::fromLatin1(w.name));
        ASSERT_TRUE(WriteAll(path, "an earlier file"));
        const TFileResult r = w.write(path);
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        EXPECT_EQ(r.records, 40);
        EXPECT_NE(ReadAll(path), "an earlier file");
        EXPECT_GT(ReadAll(path).size(), 40);
    }
    EXPECT_EQ(Entries(dir.path()), QStringList({"site.csv", "site.dbf", "site.img", "site.txt"}));
    EXPECT_TRUE(feedback.errors.isEmpty());
}
