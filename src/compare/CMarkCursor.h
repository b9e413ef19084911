#pragma once

#include "execution/CMarkTable.h"

#include <QtGlobal>

class CResultSet;

// The marks of a set's rows read in order, forwards or backwards: each step moves through the
// group's mark table from where the last one stopped, where a lookup of every row would search
// the whole table.
class CMarkCursor
{
public:
    explicit CMarkCursor(const CResultSet& set) : m_set(set) {}

    CMarkTable::Marks At(qsizetype row);

private:
    const CResultSet& m_set;
    qsizetype m_index = 0; // the first entry at or after the last row asked for
};
