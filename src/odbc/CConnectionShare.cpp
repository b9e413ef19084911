#include "odbc/CConnectionShare.h"

void CConnectionShare::AddUser()
{
    std::lock_guard guard(m_lock);
    ++m_users;
}

bool CConnectionShare::Release()
{
    std::lock_guard guard(m_lock);
    return --m_users <= 0;
}

int CConnectionShare::Users() const
{
    std::lock_guard guard(m_lock);
    return m_users;
}
