#include "views/CConnectionIcons.h"

#include <QPainter>
#include <QPixmap>

namespace {

// A plug head: hollow and grey when closed, filled and green when open.
QIcon Draw(bool connected)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor line = connected ? QColor(0x1e, 0x7d, 0x32) : QColor(0x75, 0x75, 0x75);
    painter.setPen(QPen(line, 1.5));
    painter.setBrush(connected ? QColor(0x4c, 0xaf, 0x50) : QColor(0xf5, 0xf5, 0xf5));
    painter.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    if (connected) {
        painter.setPen(QPen(Qt::white, 1.6));
        painter.drawPolyline(QPolygonF{{5.2, 8.2}, {7.2, 10.2}, {10.8, 5.8}});
    }
    return QIcon(pixmap);
}

} // namespace

const QIcon& CConnectionIcons::NotConnected()
{
    static const QIcon icon = Draw(false);
    return icon;
}

const QIcon& CConnectionIcons::Connected()
{
    static const QIcon icon = Draw(true);
    return icon;
}
