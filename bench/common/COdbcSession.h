#pragma once

#include <QString>

#include <sql.h>
#include <sqlext.h>

#include <optional>

// One plain ODBC connection for setting up benchmark data: an environment, a connection and
// a statement handle, freed in reverse order. Deliberately independent of the program's own
// ODBC layer, whose speed the benchmarks measure.
class COdbcSession
{
public:
    COdbcSession() = default;
    ~COdbcSession();
    COdbcSession(const COdbcSession&) = delete;
    COdbcSession& operator=(const COdbcSession&) = delete;

    // False with Error() set when the data source refuses the connection.
    bool Connect(const QString& connectString);
    // Runs one statement and discards any result; false with Error() set on failure.
    bool Execute(const QString& sql);
    // The first column of the first row as a number; none on failure or without a row.
    std::optional<qlonglong> QueryNumber(const QString& sql);
    // Statements run in one transaction from Begin to Commit; nothing is kept when the session
    // ends before Commit.
    bool Begin();
    bool Commit();
    const QString& Error() const { return m_error; }

private:
    bool Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const QString& what);
    bool ExecuteOnly(const QString& sql);

    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    SQLHSTMT m_stmt = SQL_NULL_HSTMT;
    bool m_connected = false;
    QString m_error;
};
