#include "SideSession.h"

#include "odbc/OdbcString.h"

SideSession::SideSession(const QString& dsn, const QString& user, const QString& password)
{
    m_open = m_db.ConnectNoPrompt(dsn, user, password, {}, 10, false, &m_problem);
}

bool SideSession::Execute(const QString& sql)
{
    const bool ok = SQL_SUCCEEDED(m_db.SqlExecDirect(sql));
    if (!ok) {
        m_db.GetErrorText(m_problem);
    }
    m_db.SqlFreeStmt(SQL_CLOSE);
    return ok;
}

QStringList SideSession::Column(const QString& sql)
{
    QStringList values;
    SQLRETURN rc = m_db.SqlExecDirect(sql);
    while (SQL_SUCCEEDED(rc) && SQL_SUCCEEDED(rc = m_db.SqlFetch())) {
        odbc::WideBuffer value(256);
        SQLLEN indicator = 0;
        rc = m_db.SqlGetData(1, SQL_C_WCHAR, value.data(), (value.chars() + 1) * sizeof(SQLWCHAR),
                             &indicator);
        if (SQL_SUCCEEDED(rc)) {
            values << (indicator == SQL_NULL_DATA ? QString() : value.text());
        }
    }
    if (rc != SQL_NO_DATA) {
        m_db.GetErrorText(m_problem);
    }
    m_db.SqlFreeStmt(SQL_CLOSE);
    return values;
}
