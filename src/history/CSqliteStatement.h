#pragma once

#include <QString>
#include <QtGlobal>

struct sqlite3;
struct sqlite3_stmt;

// One prepared statement of a CSqliteDatabase, finalized with the object. Parameters are numbered
// from 1, result columns from 0.
class CSqliteStatement
{
public:
    CSqliteStatement(sqlite3* database, const char* sql);
    ~CSqliteStatement();
    CSqliteStatement(const CSqliteStatement&) = delete;
    CSqliteStatement& operator=(const CSqliteStatement&) = delete;

    bool IsValid() const { return m_statement != nullptr; }

    CSqliteStatement& Bind(int parameter, qint64 value);
    CSqliteStatement& Bind(int parameter, const QString& value);
    CSqliteStatement& BindNull(int parameter);

    // True while it gives a row; false at the end and on an error (then Failed() is true).
    bool Step();
    // Runs a statement that gives no rows; true when it succeeded.
    bool Run();
    bool Failed() const { return m_failed; }

    qint64 Integer(int column) const;
    QString Text(int column) const;
    bool IsNull(int column) const;

private:
    sqlite3_stmt* m_statement = nullptr;
    bool m_failed = false;
};
