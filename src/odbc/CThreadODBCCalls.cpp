#include "odbc/CThreadODBC.h"

#include <utility>

// --- call wrappers of the spare statement -------------------------------------

SQLRETURN CThreadODBC::SqlAllocSpareStmt()
{
    SQLHSTMT statement = SQL_NULL_HSTMT;
    const SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, m_hdbc, &statement);
    m_spareHstmt = SQL_SUCCEEDED(rc) ? statement : SQL_NULL_HSTMT;
    return rc;
}

SQLRETURN CThreadODBC::SqlCancelSpareStmt()
{
    return SQLCancel(m_spareHstmt);
}

SQLRETURN CThreadODBC::SqlFreeSpareStmt()
{
    return SQLFreeHandle(SQL_HANDLE_STMT, std::exchange(m_spareHstmt, SQLHSTMT{SQL_NULL_HSTMT}));
}
