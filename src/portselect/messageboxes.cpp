#include "messageboxes.h"

#include <QDialog>

namespace duvane {

MessageBoxRequest ErrorBox(QWidget* owner, const QString& text)
{
    return {owner, QMessageBox::Critical, QStringLiteral("Error Message"), text, QMessageBox::Ok};
}

MessageBoxRequest InformationBox(QWidget* owner, const QString& text)
{
    return {owner, QMessageBox::Information, QStringLiteral("Information Message"), text, QMessageBox::Ok};
}

MessageBoxRequest ConfirmationBox(QWidget* owner, const QString& text)
{
    return {owner, QMessageBox::Question, QStringLiteral("Confirmation Message"), text,
            QMessageBox::Ok | QMessageBox::Cancel};
}

QMessageBox::StandardButton WidgetMessageBoxes::ask(const MessageBoxRequest& request)
{
    QMessageBox box(request.icon, request.caption, request.text, request.buttons, request.owner);
    if (request.buttons.testFlag(QMessageBox::Ok)) box.setDefaultButton(QMessageBox::Ok);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

int WidgetMessageBoxes::run(QDialog& dialog)
{
    return dialog.exec();
}

} // namespace duvane
