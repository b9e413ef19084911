#pragma once

#include <sql.h>

#include <atomic>
#include <mutex>

// The one ODBC environment handle of the process, shared by every connection
// object. It lives from the first allocation until the last connection object
// is destroyed; the recursive lock guards its allocation, attributes and freeing
// and the count of live objects, so threads may create and destroy objects freely.
class COdbcEnvironment
{
public:
    static std::recursive_mutex& Lock();

    // The handle, or SQL_NULL_HENV before the first allocation.
    static SQLHENV Handle();
    // Called under Lock() by whoever allocated or freed the handle.
    static void SetHandle(SQLHENV handle);

    // Counts a live connection object.
    static void AddUser();
    // Forgets one; the last one frees the handle.
    static void ReleaseUser();
    static int UserCount();

private:
    static std::atomic<SQLHENV> s_handle;
    static int s_users;
};
