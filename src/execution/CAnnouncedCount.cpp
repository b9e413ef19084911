#include "execution/CAnnouncedCount.h"

bool CAnnouncedCount::Grow(qsizetype rows)
{
    if (m_value >= rows) {
        return false;
    }
    m_value = rows < kExactBelow ? rows : rows + kLead;
    return true;
}

void CAnnouncedCount::TrimTo(qsizetype rows)
{
    if (rows < m_value) {
        m_value = qMax(rows, qsizetype(0));
    }
}
