#pragma once

#include <sql.h>

#include <mutex>

// Counts the connection objects that use one connection handle, so that a
// cloned object does not close the connection under its source. Only the
// release that brings the count to zero may really disconnect.
class CConnectionShare
{
public:
    explicit CConnectionShare(SQLHDBC hdbc) : m_hdbc(hdbc) {}
    CConnectionShare(const CConnectionShare&) = delete;
    CConnectionShare& operator=(const CConnectionShare&) = delete;

    SQLHDBC Handle() const { return m_hdbc; }
    void AddUser();
    // True when the caller was the last user.
    bool Release();
    int Users() const;

private:
    SQLHDBC m_hdbc;
    mutable std::mutex m_lock;
    int m_users = 1;
};
