#include "results/CResultListState.h"

void CResultListState::Reset()
{
    m_announced.Reset();
    m_lastScrollCount = 0;
}

bool CResultListState::TakeScroll(qsizetype rows)
{
    if (!m_autoScroll || rows - kScrollEvery <= m_lastScrollCount) {
        return false;
    }
    m_lastScrollCount = rows;
    return true;
}
