#include "odbc/COdbcEnvironment.h"

#include <sqlext.h>

std::atomic<SQLHENV> COdbcEnvironment::s_handle{SQL_NULL_HENV};
int COdbcEnvironment::s_users = 0;

std::recursive_mutex& COdbcEnvironment::Lock()
{
    static std::recursive_mutex lock;
    return lock;
}

SQLHENV COdbcEnvironment::Handle()
{
    return s_handle.load();
}

void COdbcEnvironment::SetHandle(SQLHENV handle)
{
    s_handle.store(handle);
}

void COdbcEnvironment::AddUser()
{
    std::lock_guard guard(Lock());
    ++s_users;
}

void COdbcEnvironment::ReleaseUser()
{
    std::lock_guard guard(Lock());
    if (--s_users > 0) {
        return;
    }
    s_users = 0;
    if (SQLHENV env = s_handle.exchange(SQL_NULL_HENV); env != SQL_NULL_HENV) {
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
}

int COdbcEnvironment::UserCount()
{
    std::lock_guard guard(Lock());
    return s_users;
}
