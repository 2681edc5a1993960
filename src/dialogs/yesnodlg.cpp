#include "yesnodlg.h"

#include "messageservice.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quentry {

TYesNoBottomDlgForm::TYesNoBottomDlgForm(TMessageService& messages, QWidget* parent)
    : QDialog(parent), FMessages(messages)
{
    setObjectName(QStringLiteral("YesNoBottomDlgForm"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);

    FText = new QLabel(this);
    FText->setObjectName(QStringLiteral("LabelText"));
    FText->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    FText->setAlignment(Qt::AlignCenter);
    FText->setMargin(8);

    FYes = new QPushButton(QStringLiteral("&Yes"), this);
    FYes->setObjectName(QStringLiteral("ButtonYes"));
    FYes->setAutoDefault(false);
    FNo = new QPushButton(QStringLiteral("&No"), this);
    FNo->setObjectName(QStringLiteral("ButtonNo"));
    FNo->setDefault(true);
    connect(FYes, &QPushButton::clicked, this, [this] { done(mrYes); });
    connect(FNo, &QPushButton::clicked, this, [this] { done(mrNo); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(FYes);
    buttons->addWidget(FNo);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FText);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TYesNoBottomDlgForm::Message() const { return FText->text(); }

void TYesNoBottomDlgForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FNo->setFocus(Qt::OtherFocusReason);
}

void TYesNoBottomDlgForm::Prepare(const QString& Title, const QString& Text)
{
    setWindowTitle(Title);
    FText->setText(Text);
    FText->setMinimumWidth(qMax(260, FText->sizeHint().width()));
}

int TYesNoBottomDlgForm::ShowModal(const QString& Title, const QString& Text)
{
    Prepare(Title, Text);
    const int result = FMessages.exec(*this, TCentre::Screen);
    return result == mrYes ? mrYes : mrNo;
}

} // namespace quentry
