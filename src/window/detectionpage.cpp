#include "detectionpage.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace quentry {

TDetectionPage::TDetectionPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PageDetection"));
    ButtonRefresh = new QPushButton(QStringLiteral("Detect"), this);
    ButtonRefresh->setObjectName(QStringLiteral("ButtonRefresh"));
    ButtonLImage = new QPushButton(QStringLiteral("Load Image"), this);
    ButtonLImage->setObjectName(QStringLiteral("ButtonLImage"));
    MemoInfo = new QPlainTextEdit(this);
    MemoInfo->setObjectName(QStringLiteral("MemoInfo"));
    MemoInfo->setReadOnly(true);
    MemoInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A port problem and what to do about it is one long line: it wraps rather than hides.
    MemoInfo->setLineWrapMode(QPlainTextEdit::WidgetWidth);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ButtonRefresh);
    buttons->addWidget(ButtonLImage);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(buttons);
    layout->addWidget(MemoInfo, 1);
}

void TDetectionPage::AddMemoLine(const QString& line) { MemoInfo->appendPlainText(line); }

void TDetectionPage::ClearMemo() { MemoInfo->clear(); }

QStringList TDetectionPage::MemoLines() const
{
    const QString text = MemoInfo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void TDetectionPage::ScrollMemoToTop() { MemoInfo->verticalScrollBar()->setValue(0); }

} // namespace quentry
