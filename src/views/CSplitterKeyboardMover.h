#pragma once

#include <QList>
#include <QObject>

class QSplitter;
class QWidget;

// "Split": moves a document window's splitters from the keyboard. Up and Down move the bar
// between the upper panes and the results, Left and Right the bar between the tree and the
// editor; Enter keeps the new places, Escape puts the bars back.
class CSplitterKeyboardMover : public QObject
{
    Q_OBJECT

public:
    CSplitterKeyboardMover(QWidget& frame, QSplitter& outer, QSplitter& inner);

    void Start();
    bool IsActive() const { return m_active; }
    // Moves the bars by the given pixels (positive: down, right) while active.
    void Move(int down, int right);

    static constexpr int kStep = 8;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Finish(bool keep);
    static void MoveBar(QSplitter& splitter, int by);

    QSplitter& m_outer;
    QSplitter& m_inner;
    QList<int> m_outerSizes;
    QList<int> m_innerSizes;
    bool m_active = false;
};
