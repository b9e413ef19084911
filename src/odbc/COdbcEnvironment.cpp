#include "odbc/COdbcEnvironment.h"

#include <sqlext.h>

#include <cstdint>

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

SQLRETURN COdbcEnvironment::Allocate()
{
    std::lock_guard guard(Lock());
    if (s_handle.load() != SQL_NULL_HENV) {
        return SQL_SUCCESS;
    }
    SQLHENV env = SQL_NULL_HENV;
    const SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    if (!SQL_SUCCEEDED(rc)) {
        return rc;
    }
    s_handle.store(env);
    // ODBC 3: what the query threads rely on, among them SQLCancel of a statement that another
    // thread executes, and the states the diagnostics are judged by (HY000, not S1000).
    return SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION,
                         reinterpret_cast<SQLPOINTER>(std::uintptr_t{SQL_OV_ODBC3}), 0);
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
