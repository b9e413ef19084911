#pragma once

#include <QObject>

class QTabWidget;
class QWidget;

// The keys that page through the tabs of a tab widget while the focus is anywhere inside
// `scope`: Ctrl+Tab and Ctrl+PgDn to the next tab, Ctrl+Shift+Tab and Ctrl+PgUp to the previous
// one, round from the last to the first. Shortcuts rather than key handling: the list and the
// text boxes on the pages would take Ctrl+PgUp and Ctrl+PgDn for themselves.
class CTabKeys : public QObject
{
    Q_OBJECT

public:
    CTabKeys(QTabWidget* tabs, QWidget* scope);

    // The tab `step` tabs away from the current one, passing over disabled tabs; the current
    // tab when there is no other to go to.
    static int NeighbourTab(const QTabWidget& tabs, int step);

private:
    void Step(int step);

    QTabWidget* m_tabs;
};
