#pragma once

#include "appbase/CommandIds.h"

#include <QHash>

class QAction;
class QWidget;

// The main window's commands as actions: menu text with mnemonic and shortcut, keys, status text,
// tool tip and picture. Each action's object name is its command number.
class CCommandActions
{
public:
    // The actions are children of `owner` and reachable from it by their keys.
    explicit CCommandActions(QWidget& owner);

    QAction* Action(Command command) const { return m_actions.value(command); }
    QList<Command> Commands() const { return m_actions.keys(); }

private:
    QHash<Command, QAction*> m_actions;
};
