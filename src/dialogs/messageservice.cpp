#include "messageservice.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QScreen>
#include <QStandardPaths>

namespace quentry {

QString DisplayText(const QString& text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

namespace {

// A modeless progress dialog with the hourglass; both go when the object goes.
class TWidgetProgress final : public TProgress
{
public:
    TWidgetProgress(const TProgressOptions& options, const TMessageService& service)
        : FDialog(DisplayText(options.text), options.cancelButton ? QStringLiteral("Cancel") : QString(),
                  options.minimum, options.maximum, service.mainWindow())
    {
        FDialog.setObjectName(QStringLiteral("ProgressDialog"));
        FDialog.setWindowTitle(options.caption);
        FDialog.setWindowModality(Qt::NonModal);
        FDialog.setAutoReset(false);
        FDialog.setAutoClose(false);
        FDialog.setMinimumDuration(0);
        if (!options.cancelButton)
            FDialog.setCancelButton(nullptr);
        FDialog.setValue(options.position);
        FDialog.setMinimumWidth(320);
        FDialog.show();
        service.centre(FDialog, options.centre);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    ~TWidgetProgress() override
    {
        FDialog.hide();
        QApplication::restoreOverrideCursor();
    }

    void setCaption(const QString& caption) override { FDialog.setWindowTitle(caption); }
    void setText(const QString& text) override { FDialog.setLabelText(DisplayText(text)); }
    void setRange(int minimum, int maximum) override { FDialog.setRange(minimum, maximum); }
    void setPosition(int position) override { FDialog.setValue(position); }
    bool canceled() const override { return FDialog.wasCanceled(); }

    QProgressDialog& dialog() { return FDialog; }

private:
    QProgressDialog FDialog;
};

} // namespace

QMessageBox::StandardButton TMessageService::show(const TMessage& message)
{
    FShown.append(message);
    if (FScripted) {
        if (!FBoxAnswers.isEmpty())
            return FBoxAnswers.takeFirst();
        if (message.defaultButton != QMessageBox::NoButton)
            return message.defaultButton;
        return QMessageBox::StandardButton(int(message.buttons) & -int(message.buttons)); // lowest button
    }
    QWidget* owner = message.centre == TCentre::MainWindow ? FMainWindow.data() : nullptr;
    QMessageBox box(message.icon, message.caption, DisplayText(message.text), message.buttons, owner);
    if (message.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(message.defaultButton);
    box.adjustSize();
    centre(box, message.centre);
    // A waiting hourglass would hide that the box expects an answer.
    const bool hadCursor = QApplication::overrideCursor() != nullptr;
    if (hadCursor)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const auto answer = QMessageBox::StandardButton(box.exec());
    if (hadCursor)
        QApplication::restoreOverrideCursor();
    return answer;
}

int TMessageService::exec(QDialog& dialog, TCentre where)
{
    if (FScripted) {
        if (!FDialogAnswers.isEmpty())
            return FDialogAnswers.takeFirst()(dialog);
        return QDialog::Rejected;
    }
    dialog.adjustSize();
    centre(dialog, where);
    return dialog.exec();
}

QString TMessageService::fileDialogFolder() const
{
    if (!FLastFolder.isEmpty() && QFileInfo(FLastFolder).isDir()) return FLastFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void TMessageService::noteFileUsed(const QString& path)
{
    if (!path.isEmpty()) FLastFolder = QFileInfo(path).absolutePath();
}

QString TMessageService::getFileName(const TFileDialogRequest& asked)
{
    TFileDialogRequest request = asked;
    if (request.directory.isEmpty()) request.directory = fileDialogFolder();
    FFileDialogs.append(request);
    const bool save = request.mode == TFileDialogRequest::TMode::Save;
    if (FScripted) {
        QString path = FFileAnswers.isEmpty() ? QString() : FFileAnswers.takeFirst();
        if (save && !path.isEmpty() && !request.defaultSuffix.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += QLatin1Char('.') + request.defaultSuffix;
        noteFileUsed(path);
        return path;
    }
    QFileDialog dialog(FMainWindow, request.caption, request.directory, request.filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (save && !request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    // A waiting hourglass would hide that the dialog expects an answer.
    const bool hadCursor = QApplication::overrideCursor() != nullptr;
    if (hadCursor)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    if (hadCursor)
        QApplication::restoreOverrideCursor();
    const QString path = chosen ? dialog.selectedFiles().constFirst() : QString();
    noteFileUsed(path);
    return path;
}

std::unique_ptr<TProgress> TMessageService::showProgress(const TProgressOptions& options)
{
    return std::make_unique<TWidgetProgress>(options, *this);
}

void TMessageService::showError(const QString& text, TMessageButton button)
{
    show({QMessageBox::Critical, QStringLiteral("Error"), text,
          button == TMessageButton::Abort ? QMessageBox::Abort : QMessageBox::Ok});
}

void TMessageService::beep()
{
    QApplication::beep();
}

void TMessageService::centre(QWidget& widget, TCentre where) const
{
    QRect area;
    if (where == TCentre::MainWindow && FMainWindow)
        area = FMainWindow->frameGeometry();
    else if (QScreen* screen = FMainWindow ? FMainWindow->screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isEmpty())
        return;
    QRect frame = widget.frameGeometry();
    frame.moveCenter(area.center());
    widget.move(frame.topLeft());
}

TWaitCursor::TWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TWaitCursor::~TWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

} // namespace quentry
