#include "programicon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace duvane {
namespace {

QPixmap DrawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x4e, 0x8c));
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);

    // A 9-pin D connector: a trapezoid shell with five pins over four.
    QPainterPath shell;
    shell.moveTo(5, 10);
    shell.lineTo(27, 10);
    shell.lineTo(24, 22);
    shell.lineTo(8, 22);
    shell.closeSubpath();
    painter.setBrush(QColor(0xe8, 0xee, 0xf6));
    painter.drawPath(shell);
    painter.setBrush(QColor(0x1f, 0x4e, 0x8c));
    for (int i = 0; i < 5; ++i) painter.drawEllipse(QPointF(9 + i * 3.5, 14), 1.3, 1.3);
    for (int i = 0; i < 4; ++i) painter.drawEllipse(QPointF(10.75 + i * 3.5, 18.5), 1.3, 1.3);
    return pixmap;
}

} // namespace

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) icon.addPixmap(DrawIcon(size));
    return icon;
}

} // namespace duvane
