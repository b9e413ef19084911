#include "app/CMdiArranger.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

QList<QMdiSubWindow*> Windows(QMdiArea& area, bool minimized)
{
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : area.subWindowList()) {
        if (window->isMinimized() == minimized && window->isVisible()) {
            windows << window;
        }
    }
    return windows;
}

void Tile(QMdiArea& area, bool stacked)
{
    const QList<QMdiSubWindow*> windows = Windows(area, false);
    if (windows.isEmpty()) {
        return;
    }
    const QRect space = area.viewport()->rect();
    const int count = int(windows.size());
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* window = windows.at(i);
        window->showNormal();
        if (stacked) {
            const int top = space.height() * i / count;
            const int bottom = space.height() * (i + 1) / count;
            window->setGeometry(0, top, space.width(), bottom - top);
        } else {
            const int left = space.width() * i / count;
            const int right = space.width() * (i + 1) / count;
            window->setGeometry(left, 0, right - left, space.height());
        }
    }
}

} // namespace

void CMdiArranger::TileHorizontally(QMdiArea& area)
{
    Tile(area, true);
}

void CMdiArranger::TileVertically(QMdiArea& area)
{
    Tile(area, false);
}

void CMdiArranger::ArrangeIcons(QMdiArea& area)
{
    const QRect space = area.viewport()->rect();
    int x = 0;
    int y = space.height();
    for (QMdiSubWindow* window : Windows(area, true)) {
        const QSize size = window->size();
        if (x > 0 && x + size.width() > space.width()) {
            x = 0;
            y -= size.height();
        }
        window->move(x, y - size.height());
        x += size.width();
    }
}
