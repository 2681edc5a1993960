#include "aboutbox.h"

#include "programicon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace duvane {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Duvane"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(ProgramIcon().pixmap(32, 32));

    auto* version = new QLabel(QStringLiteral("Duvane Version 1.0"), this);
    version->setObjectName(QStringLiteral("aboutVersion"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("aboutOkButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addWidget(version, 1, Qt::AlignVCenter);
    row->addSpacing(12);
    row->addWidget(ok, 0, Qt::AlignTop);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace duvane
