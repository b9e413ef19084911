#pragma once

#include "appbase/CommandIds.h"

// A pane of a document window that carries some of the program's commands (the edit commands
// above all). The main window asks the document window's active pane before it shows a command
// and sends the command to it when chosen; a command no pane carries is shown disabled.
class CCommandTarget
{
public:
    virtual ~CCommandTarget() = default;

    // False when this target does not carry `command`; otherwise true, with its state in
    // `enabled`.
    virtual bool UpdateCommand(Command command, bool& enabled) const = 0;

    // Carries out `command`; false when this target does not carry it.
    virtual bool RunCommand(Command command) = 0;
};
