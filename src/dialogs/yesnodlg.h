#pragma once
// TYesNoBottomDlgForm: a one-line question with "&Yes" and "&No"; "&No" is the default
// and has the focus, so Enter answers No.
#include <QDialog>

class QLabel;
class QPushButton;

namespace quentry {

class TMessageService;

class TYesNoBottomDlgForm final : public QDialog
{
    Q_OBJECT
public:
    static constexpr int mrYes = 6;
    static constexpr int mrNo = 7;

    explicit TYesNoBottomDlgForm(TMessageService& messages, QWidget* parent = nullptr);

    // Caption Title, message Text; mrYes or mrNo (closing it any other way is No).
    int ShowModal(const QString& Title, const QString& Text);

    // Caption and message without showing the dialog.
    void Prepare(const QString& Title, const QString& Text);
    QString Message() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TMessageService& FMessages;
    QLabel* FText;
    QPushButton* FYes;
    QPushButton* FNo;
};

} // namespace quentry
