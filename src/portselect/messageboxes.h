#pragma once
// Every modal box Duvane shows goes through MessageBoxes, so tests can answer them
// instead of a user and nothing waits on a box nobody sees.
#include <QMessageBox>
#include <QString>

class QDialog;
class QWidget;

namespace duvane {

struct MessageBoxRequest
{
    QWidget* owner = nullptr;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

// The three kinds of box the dialog shows.
MessageBoxRequest ErrorBox(QWidget* owner, const QString& text);
MessageBoxRequest InformationBox(QWidget* owner, const QString& text);
MessageBoxRequest ConfirmationBox(QWidget* owner, const QString& text);

class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // Shows the box modally; returns the button that closed it.
    virtual QMessageBox::StandardButton ask(const MessageBoxRequest& request) = 0;
    // Runs another modal dialog (the About box); returns its result code.
    virtual int run(QDialog& dialog) = 0;
};

// The real boxes, shown to the user.
class WidgetMessageBoxes : public MessageBoxes
{
public:
    QMessageBox::StandardButton ask(const MessageBoxRequest& request) override;
    int run(QDialog& dialog) override;
};

} // namespace duvane
