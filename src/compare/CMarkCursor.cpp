#include "compare/CMarkCursor.h"

#include "execution/CResultSet.h"

CMarkTable::Marks CMarkCursor::At(qsizetype row)
{
    const CMarkTable& table = m_set.GroupMarks();
    const qsizetype groupRow = m_set.GroupRow(row);
    while (m_index < table.Count() && table.RowAt(m_index) < groupRow) {
        ++m_index;
    }
    while (m_index > 0 && table.RowAt(m_index - 1) >= groupRow) {
        --m_index;
    }
    if (m_index < table.Count() && table.RowAt(m_index) == groupRow) {
        return table.MarksAt(m_index);
    }
    return {};
}
