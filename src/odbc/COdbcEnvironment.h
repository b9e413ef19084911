#pragma once

#include <sql.h>

#include <atomic>
#include <mutex>

// The one ODBC environment handle of the process, shared by every connection
// object, and the only place that allocates it. It lives from the first
// allocation until the last connection object is destroyed; the recursive lock
// guards its allocation, attributes and freeing and the count of live objects,
// so threads may create and destroy objects freely.
class COdbcEnvironment
{
public:
    static std::recursive_mutex& Lock();

    // The handle, or SQL_NULL_HENV before the first allocation.
    static SQLHENV Handle();
    // Allocates the handle unless there is one, asking for ODBC 3 behaviour; the
    // return code of the call that failed, or of the last one.
    static SQLRETURN Allocate();

    // Counts a live connection object.
    static void AddUser();
    // Forgets one; the last one frees the handle.
    static void ReleaseUser();
    static int UserCount();

private:
    static std::atomic<SQLHENV> s_handle;
    static int s_users;
};
