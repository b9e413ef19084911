#pragma once

#include <QLineEdit>

// The read-only one-line viewer that opens over a result row: all the row's
// cells joined by single blanks, selectable and copyable, as wide as the row.
// Esc or a click elsewhere closes it; it never changes anything.
class CLVEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit CLVEdit(QWidget* parent);

    // Shows `text` over `rowRect` (viewport coordinates), `width` pixels wide.
    void Open(const QString& text, const QRect& rowRect, int width);
    int FixedWidth() const { return m_fixedWidth; }

signals:
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Close();

    int m_fixedWidth = 0;
};
