#pragma once

#include <QObject>

#include <vector>

class CPostElemArray;

// While a long copy runs: swallows the first key press (it aborts the copy and
// must not reach the list) and holds back result batches, which are taken
// only after the copy, so the rows being copied do not change under it.
class CCopyInterruption : public QObject
{
public:
    CCopyInterruption();
    // Hands the held batches to their windows at once, ahead of anything
    // posted later.
    ~CCopyInterruption() override;

    // Lets waiting input through; true once a key was pressed.
    bool KeyPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_keyPressed = false;
    std::vector<std::pair<QObject*, CPostElemArray*>> m_held;
};
