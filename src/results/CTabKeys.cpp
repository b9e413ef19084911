#include "results/CTabKeys.h"

#include <QKeySequence>
#include <QShortcut>
#include <QTabWidget>

CTabKeys::CTabKeys(QTabWidget* tabs, QWidget* scope) : QObject(scope), m_tabs(tabs)
{
    const struct
    {
        QKeySequence keys;
        int step;
    } bindings[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_Tab), 1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1},
        {QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1},
    };
    for (const auto& binding : bindings) {
        auto* shortcut = new QShortcut(binding.keys, scope);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        const int step = binding.step;
        connect(shortcut, &QShortcut::activated, this, [this, step] { Step(step); });
    }
}

int CTabKeys::NeighbourTab(const QTabWidget& tabs, int step)
{
    const int count = tabs.count();
    const int current = tabs.currentIndex();
    if (count == 0 || current < 0) {
        return current;
    }
    int index = current;
    for (int tried = 1; tried < count; ++tried) {
        index = ((index + step) % count + count) % count;
        if (tabs.isTabEnabled(index)) {
            return index;
        }
    }
    return current;
}

void CTabKeys::Step(int step)
{
    m_tabs->setCurrentIndex(NeighbourTab(*m_tabs, step));
}
