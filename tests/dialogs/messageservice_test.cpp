// The message service: scripted answers, progress dialog and cursor restored on every exit.
#include "messageservice.h"

#include <QApplication>
#include <QProgressDialog>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace quentry;

TEST(MessageService, ScriptedBoxesTakeQueuedAnswersThenTheirDefault)
{
    TMessageService service;
    service.setScripted(true);
    service.queueAnswer(QMessageBox::No);
    const TMessage question{QMessageBox::Question, "Confirmation", "Sure?",
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes};
    EXPECT_EQ(service.show(question), QMessageBox::No);
    EXPECT_EQ(service.show(question), QMessageBox::Yes);
    service.error("Device Not Found!");
    ASSERT_EQ(service.shownMessages().size(), 3);
    EXPECT_EQ(service.shownMessages().last().text, "Device Not Found!");
    EXPECT_EQ(service.shownMessages().last().icon, QMessageBox::Critical);
}

TEST(MessageService, ScriptedDialogsRunTheirAnswerOrAreRejected)
{
    TMessageService service;
    service.setScripted(true);
    QDialog dialog;
    service.queueDialogAnswer([](QDialog& d) {
        d.setWindowTitle("touched");
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(service.exec(dialog, TCentre::Screen), QDialog::Accepted);
    EXPECT_EQ(dialog.windowTitle(), "touched");
    EXPECT_EQ(service.exec(dialog, TCentre::Screen), QDialog::Rejected);
}

TEST(MessageService, ProgressShowsWithCursorAndRestoresBothWhenGone)
{
    TMessageService service;
    {
        TProgressOptions options;
        options.caption = "Saving Image";
        options.text = "Saving";
        options.cancelButton = true;
        auto progress = service.showProgress(options);
        progress->setPosition(40);
        EXPECT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_FALSE(progress->canceled());
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(MessageService, EveryKindOfLineBreakShowsAsOneBreak)
{
    const struct { const char* text; const char* shown; } cases[] = {
        {"Accessing Tavix Adapter.\n\rSetting Com. Mode.", "Accessing Tavix Adapter.\nSetting Com. Mode."},
        {"CMD error in reply\r\nPlease Detect Again!", "CMD error in reply\nPlease Detect Again!"},
        {"Total Index must lie between 1 and 12288.\rNothing was generated.",
         "Total Index must lie between 1 and 12288.\nNothing was generated."},
        {"one\n\ntwo", "one\n\ntwo"},
    };
    for (const auto& c : cases) EXPECT_EQ(DisplayText(c.text), QString(c.shown)) << c.text;

    // The progress dialog shows its texts the same way.
    TMessageService service;
    TProgressOptions options;
    options.text = "Reading\rpage 1";
    auto progress = service.showProgress(options);
    QProgressDialog* dialog = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* p = qobject_cast<QProgressDialog*>(w)) dialog = p;
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->labelText(), "Reading\npage 1");
    progress->setText("Reading\r\npage 2");
    EXPECT_EQ(dialog->labelText(), "Reading\npage 2");
}

TEST(MessageService, ScriptedFileDialogsTakeQueuedNamesThenCancel)
{
    TMessageService service;
    service.setScripted(true);
    service.queueFileName("/tmp/site");
    service.queueFileName("/tmp/site.dat");
    service.queueFileName("/tmp/site");
    TFileDialogRequest request;
    request.caption = "Saving Logger Image File";
    request.defaultSuffix = "img";
    EXPECT_EQ(service.getSaveFileName(request), "/tmp/site.img") << "a name without extension gets the default";
    EXPECT_EQ(service.getSaveFileName(request), "/tmp/site.dat");
    EXPECT_EQ(service.getOpenFileName(request), "/tmp/site") << "an open dialog names an existing file as it is";
    EXPECT_EQ(service.getSaveFileName(request), "") << "nothing queued: Cancel";
    ASSERT_EQ(service.shownFileDialogs().size(), 4);
    EXPECT_EQ(service.shownFileDialogs().at(2).mode, TFileDialogRequest::TMode::Open);
    EXPECT_EQ(service.shownFileDialogs().first().caption, "Saving Logger Image File");
}

TEST(MessageService, FileDialogsStartInTheFolderLastUsedElseTheDocuments)
{
    TMessageService service;
    service.setScripted(true);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString first = QFileInfo(documents).isDir() ? documents : QDir::homePath();
    QTemporaryDir a, b;
    service.queueFileName(a.filePath("site.img"));
    service.getOpenFileName({});
    service.getSaveFileName({}); // cancelled: the folder stays
    service.noteFileUsed(b.filePath("dropped.img"));
    TFileDialogRequest own;
    own.directory = "/srv";
    service.getSaveFileName(own);
    service.getSaveFileName({});
    const QList<TFileDialogRequest>& shown = service.shownFileDialogs();
    ASSERT_EQ(shown.size(), 4);
    EXPECT_EQ(shown[0].directory, first);
    EXPECT_NE(shown[0].directory, QCoreApplication::applicationDirPath());
    EXPECT_EQ(shown[1].directory, a.path());
    EXPECT_EQ(shown[2].directory, "/srv") << "a folder asked for is kept";
    EXPECT_EQ(shown[3].directory, b.path()) << "a file used without a dialog counts too";
}
