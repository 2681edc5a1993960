// The message service: scripted answers, progress dialog and cursor restored on every exit.
#include "messageservice.h"

#include <QApplication>
#include <QDialog>
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
