#include "COdbcSession.h"

#include <vector>

namespace {

std::vector<SQLWCHAR> Wide(const QString& text)
{
    std::vector<SQLWCHAR> wide(text.utf16(), text.utf16() + text.size());
    wide.push_back(0);
    return wide;
}

QString Diagnostics(SQLSMALLINT type, SQLHANDLE handle)
{
    QString text;
    SQLWCHAR state[6] = {};
    SQLWCHAR message[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    for (SQLSMALLINT record = 1;
         SQL_SUCCEEDED(SQLGetDiagRecW(type, handle, record, state, &native, message,
                                      SQLSMALLINT(std::size(message)), &length));
         ++record) {
        text += QString::fromUtf16(reinterpret_cast<const char16_t*>(message)) + u' ';
    }
    return text.trimmed();
}

} // namespace

COdbcSession::~COdbcSession()
{
    if (m_connected) {
        SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_ROLLBACK);
    }
    if (m_stmt != SQL_NULL_HSTMT) {
        SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
    }
    if (m_connected) {
        SQLDisconnect(m_dbc);
    }
    if (m_dbc != SQL_NULL_HDBC) {
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
    }
    if (m_env != SQL_NULL_HENV) {
        SQLFreeHandle(SQL_HANDLE_ENV, m_env);
    }
}

bool COdbcSession::Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const QString& what)
{
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) {
        return true;
    }
    m_error = what + u": "_qs + Diagnostics(type, handle);
    return false;
}

bool COdbcSession::Connect(const QString& connectString)
{
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env))) {
        m_error = u"no ODBC environment"_qs;
        return false;
    }
    SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!Check(SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc), SQL_HANDLE_ENV, m_env,
               u"connection handle"_qs)) {
        return false;
    }
    std::vector<SQLWCHAR> text = Wide(connectString);
    SQLWCHAR out[1024] = {};
    SQLSMALLINT outLength = 0;
    if (!Check(SQLDriverConnectW(m_dbc, nullptr, text.data(), SQL_NTS, out,
                                 SQLSMALLINT(std::size(out)), &outLength, SQL_DRIVER_NOPROMPT),
               SQL_HANDLE_DBC, m_dbc, u"connect"_qs)) {
        return false;
    }
    m_connected = true;
    return Check(SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &m_stmt), SQL_HANDLE_DBC, m_dbc,
                 u"statement handle"_qs);
}

bool COdbcSession::ExecuteOnly(const QString& sql)
{
    SQLFreeStmt(m_stmt, SQL_CLOSE);
    std::vector<SQLWCHAR> text = Wide(sql);
    return Check(SQLExecDirectW(m_stmt, text.data(), SQL_NTS), SQL_HANDLE_STMT, m_stmt, sql);
}

bool COdbcSession::Execute(const QString& sql)
{
    if (!ExecuteOnly(sql)) {
        return false;
    }
    SQLFreeStmt(m_stmt, SQL_CLOSE);
    return true;
}

std::optional<qlonglong> COdbcSession::QueryNumber(const QString& sql)
{
    if (!ExecuteOnly(sql)) {
        return std::nullopt;
    }
    SQLBIGINT value = 0;
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLFetch(m_stmt);
    std::optional<qlonglong> result;
    if (SQL_SUCCEEDED(rc) &&
        SQL_SUCCEEDED(SQLGetData(m_stmt, 1, SQL_C_SBIGINT, &value, 0, &indicator)) &&
        indicator != SQL_NULL_DATA) {
        result = value;
    } else if (rc != SQL_NO_DATA) {
        Check(rc, SQL_HANDLE_STMT, m_stmt, sql);
    }
    SQLFreeStmt(m_stmt, SQL_CLOSE);
    return result;
}

bool COdbcSession::Begin()
{
    return Check(SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT,
                                   reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
                 SQL_HANDLE_DBC, m_dbc, u"begin"_qs);
}

bool COdbcSession::Commit()
{
    return Check(SQLEndTran(SQL_HANDLE_DBC, m_dbc, SQL_COMMIT), SQL_HANDLE_DBC, m_dbc,
                 u"commit"_qs) &&
           Check(SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT,
                                   reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0),
                 SQL_HANDLE_DBC, m_dbc, u"autocommit"_qs);
}
