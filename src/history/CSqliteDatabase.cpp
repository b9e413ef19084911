#include "history/CSqliteDatabase.h"

#include <sqlite3.h>

CSqliteDatabase::~CSqliteDatabase()
{
    sqlite3_close_v2(m_database);
}

bool CSqliteDatabase::Open(const QString& path, int busyMs)
{
    sqlite3_close_v2(m_database);
    m_database = nullptr;
    sqlite3* database = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &database,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(database));
        sqlite3_close_v2(database);
        return false;
    }
    sqlite3_busy_timeout(database, busyMs);
    m_database = database;
    return true;
}

bool CSqliteDatabase::Execute(const char* sql)
{
    return m_database && sqlite3_exec(m_database, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

QString CSqliteDatabase::LastError() const
{
    return m_database ? QString::fromUtf8(sqlite3_errmsg(m_database)) : m_error;
}

qint64 CSqliteDatabase::LastInsertId() const
{
    return sqlite3_last_insert_rowid(m_database);
}
