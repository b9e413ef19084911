#pragma once

#include <QString>
#include <QtGlobal>

struct sqlite3;

// A SQLite database file, open as long as the object lives.
class CSqliteDatabase
{
public:
    CSqliteDatabase() = default;
    ~CSqliteDatabase();
    CSqliteDatabase(const CSqliteDatabase&) = delete;
    CSqliteDatabase& operator=(const CSqliteDatabase&) = delete;

    // Opens or creates the file; a writer waits up to `busyMs` for another process's write.
    bool Open(const QString& path, int busyMs);
    bool IsOpen() const { return m_database != nullptr; }
    // Runs statements that give no rows.
    bool Execute(const char* sql);
    QString LastError() const;
    // The row id of the last row inserted.
    qint64 LastInsertId() const;
    sqlite3* Handle() const { return m_database; }

private:
    sqlite3* m_database = nullptr;
    QString m_error; // why the last Open failed
};
