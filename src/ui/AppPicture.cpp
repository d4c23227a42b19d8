#include "ui/AppPicture.h"

#include <QGuiApplication>
#include <QPainter>

QPixmap AppPicture(int size)
{
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap picture(QSize(size, size) * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xFA, 0xFA, 0xF5));
    painter.drawRoundedRect(QRectF(6, 4, 44, 54), 4, 4);
    painter.setBrush(QColor(0x60, 0x68, 0x70));
    for (int line = 0; line < 6; ++line) painter.drawRect(QRectF(12, 12 + line * 7, line % 2 ? 26 : 32, 3));
    painter.setBrush(QColor(0xF0, 0xB0, 0x20));
    painter.drawRect(QRectF(12, 24, 20, 5));
    painter.setBrush(QColor(0xFF, 0xFF, 0xFF, 0x70));
    painter.setPen(QPen(QColor(0x20, 0x40, 0x80), 5));
    painter.drawEllipse(QPointF(34, 28), 13, 13);
    painter.setPen(QPen(QColor(0x20, 0x40, 0x80), 8, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(44, 38), QPointF(57, 51));
    return picture;
}

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) icon.addPixmap(AppPicture(size));
    return icon;
}
