#include "views/CSplitterKeyboardMover.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSplitter>

CSplitterKeyboardMover::CSplitterKeyboardMover(QWidget& frame, QSplitter& outer, QSplitter& inner)
    : QObject(&frame), m_outer(outer), m_inner(inner)
{
}

void CSplitterKeyboardMover::Start()
{
    if (m_active) {
        return;
    }
    m_active = true;
    m_outerSizes = m_outer.sizes();
    m_innerSizes = m_inner.sizes();
    QApplication::setOverrideCursor(Qt::SizeAllCursor);
    qApp->installEventFilter(this);
}

void CSplitterKeyboardMover::Finish(bool keep)
{
    if (!m_active) {
        return;
    }
    m_active = false;
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    if (!keep) {
        m_outer.setSizes(m_outerSizes);
        m_inner.setSizes(m_innerSizes);
    }
}

void CSplitterKeyboardMover::MoveBar(QSplitter& splitter, int by)
{
    QList<int> sizes = splitter.sizes();
    if (sizes.size() < 2 || by == 0) {
        return;
    }
    const int total = sizes[0] + sizes[1];
    sizes[0] = std::clamp(sizes[0] + by, 0, total);
    sizes[1] = total - sizes[0];
    splitter.setSizes(sizes);
}

void CSplitterKeyboardMover::Move(int down, int right)
{
    if (!m_active) {
        return;
    }
    MoveBar(m_outer, down);
    MoveBar(m_inner, right);
}

bool CSplitterKeyboardMover::eventFilter(QObject* /*watched*/, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        break;
    case QEvent::MouseButtonPress:
        Finish(true);
        return false;
    case QEvent::ShortcutOverride:
    case QEvent::KeyRelease:
        return true; // while the bars move, keys do nothing else
    default:
        return false;
    }
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Up:
        Move(-kStep, 0);
        break;
    case Qt::Key_Down:
        Move(kStep, 0);
        break;
    case Qt::Key_Left:
        Move(0, -kStep);
        break;
    case Qt::Key_Right:
        Move(0, kStep);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Finish(true);
        break;
    case Qt::Key_Escape:
        Finish(false);
        break;
    default:
        break;
    }
    return true;
}
