#include "headercaption.h"

#include <QLinearGradient>
#include <QPainter>

namespace quentry {

THeaderCaption::THeaderCaption(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("HeaderCaption"));
    QFont f = font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.25);
    setFont(f);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void THeaderCaption::setCaption(const QString& caption)
{
    if (caption == FCaption) return;
    FCaption = caption;
    update();
}

QSize THeaderCaption::sizeHint() const { return {200, fontMetrics().height() + 10}; }

void THeaderCaption::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient g(rect().topLeft(), rect().topRight());
    g.setColorAt(0, QColor(0, 0, 128));
    g.setColorAt(1, QColor(0, 255, 255));
    p.fillRect(rect(), g);
    p.setPen(Qt::white);
    p.drawText(rect(), Qt::AlignCenter, FCaption);
}

} // namespace quentry
