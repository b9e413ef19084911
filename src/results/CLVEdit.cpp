#include "results/CLVEdit.h"

#include <QKeyEvent>

CLVEdit::CLVEdit(QWidget* parent) : QLineEdit(parent)
{
    setReadOnly(true);
    setFrame(true);
    hide();
}

void CLVEdit::Open(const QString& text, const QRect& rowRect, int width)
{
    m_fixedWidth = width;
    setText(text);
    setGeometry(rowRect.left(), rowRect.top(), m_fixedWidth,
                std::max(rowRect.height(), sizeHint().height()));
    setCursorPosition(0);
    show();
    raise();
    setFocus(Qt::MouseFocusReason);
}

void CLVEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        Close();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CLVEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A context menu of its own takes the focus for a moment; that is no click elsewhere.
    if (event->reason() != Qt::PopupFocusReason) {
        Close();
    }
}

void CLVEdit::Close()
{
    if (isVisible()) {
        hide();
        emit closed();
    }
}
