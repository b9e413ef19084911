#include "results/CKindIcons.h"

#include "odbc/CThreadOdbcOwner.h"

#include <QPainter>
#include <QPixmap>

#include <array>
#include <functional>

namespace {

constexpr int kSize = 16;

QIcon Draw(const std::function<void(QPainter&)>& paint)
{
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    return QIcon(pixmap);
}

QIcon Title()
{
    return Draw([](QPainter& p) {
        p.setPen(QColor(0x1f, 0x4e, 0x8c));
        p.setBrush(QColor(0x4a, 0x86, 0xd4));
        p.drawRoundedRect(QRectF(1.5, 3.5, 13, 9), 2, 2); // a database plate
        p.setPen(QPen(Qt::white, 1.5));
        p.drawLine(QPointF(4, 8), QPointF(12, 8));
    });
}

QIcon Information()
{
    return Draw([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2e, 0x7d, 0x32));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(QPen(Qt::white, 2));
        p.drawPoint(QPointF(8, 4.5));
        p.drawLine(QPointF(8, 7), QPointF(8, 12));
    });
}

QIcon Error()
{
    return Draw([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xc6, 0x28, 0x28));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(QPointF(5, 5), QPointF(11, 11));
        p.drawLine(QPointF(11, 5), QPointF(5, 11));
    });
}

QIcon Row()
{
    return Draw([](QPainter& p) {
        p.setPen(QColor(0x75, 0x75, 0x75));
        p.setBrush(QColor(0xee, 0xee, 0xee));
        p.drawRect(QRectF(1.5, 5.5, 13, 5));
        p.drawLine(QPointF(6, 5.5), QPointF(6, 10.5));
        p.drawLine(QPointF(10, 5.5), QPointF(10, 10.5));
    });
}

QIcon Header()
{
    return Draw([](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x45, 0x45, 0x45));
        p.drawRect(QRectF(1, 4, 14, 4));
        p.setBrush(QColor(0xcc, 0xcc, 0xcc));
        p.drawRect(QRectF(1, 9, 14, 3));
    });
}

} // namespace

const QIcon& CKindIcons::ForKind(int kind)
{
    static const std::array<QIcon, 5> icons{Title(), Information(), Error(), Row(), Header()};
    static const QIcon none;
    if (kind < ElemConnection || kind > ElemHeader) {
        return none;
    }
    return icons[static_cast<std::size_t>(kind)];
}
