#include "scriptedboxes.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>

QMessageBox::StandardButton ScriptedBoxes::ask(const duvane::MessageBoxRequest& request)
{
    asked.push_back(request);
    if (answers.empty()) return QMessageBox::Ok;
    const auto answer = answers.front();
    answers.pop_front();
    return answer;
}

int ScriptedBoxes::run(QDialog& dialog)
{
    ShownDialog shown;
    shown.caption = dialog.windowTitle();
    shown.owner = dialog.parentWidget();
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) shown.labels << label->text();
        if (!label->pixmap().isNull()) shown.hasPixmap = true;
    }
    for (const QPushButton* button : dialog.findChildren<QPushButton*>()) shown.buttons << button->text();
    dialogs.push_back(shown);
    return QDialog::Accepted;
}
