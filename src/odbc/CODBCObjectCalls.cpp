#include "odbc/CODBCObject.h"

#include "odbc/COdbcEnvironment.h"
#include "odbc/OdbcString.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using odbc::In;

namespace {

// Catalog functions tell "no pattern" (null) from "empty name".
SQLWCHAR* Optional(const QString& s)
{
    return s.isNull() ? nullptr : In(s);
}

SQLPOINTER IntegerValue(SQLULEN value)
{
    return reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(value));
}

} // namespace

// --- call wrappers ----------------------------------------------------------

SQLRETURN CODBCObject::SqlAllocConnect()
{
    SQLHDBC hdbc = SQL_NULL_HDBC;
    const SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_DBC, COdbcEnvironment::Handle(), &hdbc);
    if (SQL_SUCCEEDED(rc)) {
        SetHdbc(hdbc);
    }
    return rc;
}

SQLRETURN CODBCObject::SqlAllocStmt()
{
    return SQLAllocHandle(SQL_HANDLE_STMT, m_hdbc, &m_hstmt);
}

SQLRETURN CODBCObject::SqlError(SQLWCHAR* state, SQLINTEGER* nativeError, SQLWCHAR* message,
                                SQLSMALLINT messageMax, SQLSMALLINT* messageLength)
{
    return SQLErrorW(COdbcEnvironment::Handle(), m_hdbc, m_hstmt, state, nativeError, message,
                     messageMax, messageLength);
}

namespace {

// The driver manager converts the wide arguments of SQLConnect for an 8-bit driver reading at
// least a data source name's largest size (33 characters), however short the text: each goes in
// a zero-padded buffer of at least that size.
std::vector<SQLWCHAR> PaddedArgument(const QString& text)
{
    std::vector<SQLWCHAR> padded(size_t(std::max<qsizetype>(text.size(), SQL_MAX_DSN_LENGTH)) + 1,
                                 0);
    std::copy_n(In(text), text.size(), padded.begin());
    return padded;
}

} // namespace

SQLRETURN CODBCObject::SqlConnect(const QString& dataSource, const QString& user,
                                  const QString& password)
{
    std::vector<SQLWCHAR> dsn = PaddedArgument(dataSource);
    std::vector<SQLWCHAR> uid = PaddedArgument(user);
    std::vector<SQLWCHAR> pwd = PaddedArgument(password);
    return SQLConnectW(m_hdbc, dsn.data(), SQL_NTS, uid.data(), SQL_NTS, pwd.data(), SQL_NTS);
}

SQLRETURN CODBCObject::SqlDriverConnect(SQLHWND window, const QString& connectString,
                                        SQLWCHAR* completed, SQLSMALLINT completedMax,
                                        SQLSMALLINT* completedLength, SQLUSMALLINT completion)
{
    return SQLDriverConnectW(m_hdbc, window, In(connectString),
                             static_cast<SQLSMALLINT>(connectString.size()), completed,
                             completedMax, completedLength, completion);
}

SQLRETURN CODBCObject::SqlBrowseConnect(const QString& input, SQLWCHAR* output,
                                        SQLSMALLINT outputMax, SQLSMALLINT* outputLength)
{
    return SQLBrowseConnectW(m_hdbc, In(input), SQL_NTS, output, outputMax, outputLength);
}

SQLRETURN CODBCObject::SqlSetConnectAttr(SQLINTEGER attribute, SQLULEN value)
{
    return SQLSetConnectAttrW(m_hdbc, attribute, IntegerValue(value), 0);
}

SQLRETURN CODBCObject::SqlSetConnectAttrText(SQLINTEGER attribute, const QString& value)
{
    return SQLSetConnectAttrW(m_hdbc, attribute, In(value), SQL_NTS);
}

SQLRETURN CODBCObject::SqlGetConnectOption(SQLUSMALLINT option, SQLPOINTER value)
{
    return SQLGetConnectOptionW(m_hdbc, option, value);
}

SQLRETURN CODBCObject::SqlSetStmtOption(SQLUSMALLINT option, SQLULEN value)
{
    return SQLSetStmtOption(m_hstmt, option, value);
}

SQLRETURN CODBCObject::SqlGetStmtOption(SQLUSMALLINT option, SQLPOINTER value)
{
    return SQLGetStmtOption(m_hstmt, option, value);
}

SQLRETURN CODBCObject::SqlGetFunctions(SQLUSMALLINT function, SQLUSMALLINT* supported)
{
    return SQLGetFunctions(m_hdbc, function, supported);
}

SQLRETURN CODBCObject::SqlDataSources(SQLUSMALLINT direction, SQLWCHAR* name, SQLSMALLINT nameMax,
                                      SQLSMALLINT* nameLength, SQLWCHAR* description,
                                      SQLSMALLINT descriptionMax, SQLSMALLINT* descriptionLength)
{
    return SQLDataSourcesW(COdbcEnvironment::Handle(), direction, name, nameMax, nameLength,
                           description, descriptionMax, descriptionLength);
}

SQLRETURN CODBCObject::SqlTables(const QString& catalog, const QString& schema,
                                 const QString& table, const QString& tableType)
{
    return SQLTablesW(m_hstmt, Optional(catalog), SQL_NTS, Optional(schema), SQL_NTS,
                      Optional(table), SQL_NTS, Optional(tableType), SQL_NTS);
}

SQLRETURN CODBCObject::SqlTablePrivileges(const QString& catalog, const QString& schema,
                                          const QString& table)
{
    return SQLTablePrivilegesW(m_hstmt, Optional(catalog), SQL_NTS, Optional(schema), SQL_NTS,
                               Optional(table), SQL_NTS);
}

SQLRETURN CODBCObject::SqlColumns(const QString& catalog, const QString& schema,
                                  const QString& table, const QString& column)
{
    return SQLColumnsW(m_hstmt, Optional(catalog), SQL_NTS, Optional(schema), SQL_NTS,
                       Optional(table), SQL_NTS, Optional(column), SQL_NTS);
}

SQLRETURN CODBCObject::SqlStatistics(const QString& catalog, const QString& schema,
                                     const QString& table, SQLUSMALLINT unique,
                                     SQLUSMALLINT reserved)
{
    return SQLStatisticsW(m_hstmt, Optional(catalog), SQL_NTS, Optional(schema), SQL_NTS,
                          Optional(table), SQL_NTS, unique, reserved);
}

SQLRETURN CODBCObject::SqlPrimaryKeys(const QString& catalog, const QString& schema,
                                      const QString& table)
{
    return SQLPrimaryKeysW(m_hstmt, Optional(catalog), SQL_NTS, Optional(schema), SQL_NTS,
                           Optional(table), SQL_NTS);
}

SQLRETURN CODBCObject::SqlForeignKeys(const QString& pkCatalog, const QString& pkSchema,
                                      const QString& pkTable, const QString& fkCatalog,
                                      const QString& fkSchema, const QString& fkTable)
{
    return SQLForeignKeysW(m_hstmt, Optional(pkCatalog), SQL_NTS, Optional(pkSchema), SQL_NTS,
                           Optional(pkTable), SQL_NTS, Optional(fkCatalog), SQL_NTS,
                           Optional(fkSchema), SQL_NTS, Optional(fkTable), SQL_NTS);
}

SQLRETURN CODBCObject::GetInfoString(SQLUSMALLINT infoType, QString& value)
{
    // 1024 bytes of room, but only 512 announced: at most 255 characters.
    SQLWCHAR buffer[512] = {};
    SQLSMALLINT length = 0;
    const SQLRETURN rc = SqlGetInfo(infoType, buffer, 512, &length);
    if (SQL_SUCCEEDED(rc)) {
        buffer[511] = 0;
        value = odbc::FromBuffer(buffer);
    } else {
        value.clear();
    }
    return rc;
}

SQLRETURN CODBCObject::SqlGetInfo(SQLUSMALLINT infoType, SQLPOINTER value, SQLSMALLINT valueMax,
                                  SQLSMALLINT* valueLength)
{
    return SQLGetInfoW(m_hdbc, infoType, value, valueMax, valueLength);
}

SQLRETURN CODBCObject::SqlParamData(SQLPOINTER* value)
{
    return SQLParamData(m_hstmt, value);
}

SQLRETURN CODBCObject::SqlBindParameter(SQLUSMALLINT number, SQLSMALLINT ioType, SQLSMALLINT cType,
                                        SQLSMALLINT sqlType, SQLULEN columnSize,
                                        SQLSMALLINT decimalDigits, SQLPOINTER value,
                                        SQLLEN bufferLength, SQLLEN* indicator)
{
    return SQLBindParameter(m_hstmt, number, ioType, cType, sqlType, columnSize, decimalDigits,
                            value, bufferLength, indicator);
}

SQLRETURN CODBCObject::SqlPutData(SQLPOINTER data, SQLLEN length)
{
    return SQLPutData(m_hstmt, data, length);
}

SQLRETURN CODBCObject::SqlPrepare(const QString& text)
{
    return SQLPrepareW(m_hstmt, In(text), SQL_NTS);
}

SQLRETURN CODBCObject::SqlExecute()
{
    return SQLExecute(m_hstmt);
}

SQLRETURN CODBCObject::SqlExecDirect(const QString& text)
{
    if (m_utf8Statements) {
        QByteArray bytes = text.toUtf8();
        return SQLExecDirect(m_hstmt, reinterpret_cast<SQLCHAR*>(bytes.data()), SQL_NTS);
    }
    return SQLExecDirectW(m_hstmt, In(text), SQL_NTS);
}

SQLRETURN CODBCObject::SqlTransact(SQLUSMALLINT completion)
{
    return SQLTransact(COdbcEnvironment::Handle(), m_hdbc, completion);
}

SQLRETURN CODBCObject::SqlEndTran(SQLUSMALLINT completion)
{
    return SQLEndTran(SQL_HANDLE_DBC, m_hdbc, static_cast<SQLSMALLINT>(completion));
}

SQLRETURN CODBCObject::SqlNumResultCols(SQLSMALLINT* count)
{
    return SQLNumResultCols(m_hstmt, count);
}

SQLRETURN CODBCObject::SqlNumParams(SQLSMALLINT* count)
{
    return SQLNumParams(m_hstmt, count);
}

SQLRETURN CODBCObject::SqlDescribeCol(SQLUSMALLINT column, SQLWCHAR* name, SQLSMALLINT nameMax,
                                      SQLSMALLINT* nameLength, SQLSMALLINT* sqlType,
                                      SQLULEN* columnSize, SQLSMALLINT* decimalDigits,
                                      SQLSMALLINT* nullable)
{
    return SQLDescribeColW(m_hstmt, column, name, nameMax, nameLength, sqlType, columnSize,
                           decimalDigits, nullable);
}

SQLRETURN CODBCObject::SqlDescribeParam(SQLUSMALLINT number, SQLSMALLINT* sqlType, SQLULEN* size,
                                        SQLSMALLINT* decimalDigits, SQLSMALLINT* nullable)
{
    return SQLDescribeParam(m_hstmt, number, sqlType, size, decimalDigits, nullable);
}

SQLRETURN CODBCObject::SqlColAttribute(SQLUSMALLINT column, SQLUSMALLINT field,
                                       SQLPOINTER textValue, SQLSMALLINT textMax,
                                       SQLSMALLINT* textLength, SQLLEN* numericValue)
{
    return SQLColAttributeW(m_hstmt, column, field, textValue, textMax, textLength, numericValue);
}

SQLRETURN CODBCObject::SqlBindCol(SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER buffer,
                                  SQLLEN bufferLength, SQLLEN* indicator)
{
    return SQLBindCol(m_hstmt, column, cType, buffer, bufferLength, indicator);
}

SQLRETURN CODBCObject::SqlFetch()
{
    return SQLFetch(m_hstmt);
}

SQLRETURN CODBCObject::SqlExtendedFetch(SQLUSMALLINT orientation, SQLLEN offset, SQLULEN* rowCount,
                                        SQLUSMALLINT* rowStatus)
{
    return SQLExtendedFetch(m_hstmt, orientation, offset, rowCount, rowStatus);
}

SQLRETURN CODBCObject::SqlGetData(SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER buffer,
                                  SQLLEN bufferLength, SQLLEN* indicator)
{
    return SQLGetData(m_hstmt, column, cType, buffer, bufferLength, indicator);
}

SQLRETURN CODBCObject::SqlRowCount(SQLLEN* count)
{
    return SQLRowCount(m_hstmt, count);
}

SQLRETURN CODBCObject::SqlMoreResults()
{
    return SQLMoreResults(m_hstmt);
}

SQLRETURN CODBCObject::SqlCancel()
{
    return SQLCancel(m_hstmt);
}

SQLRETURN CODBCObject::SqlDisconnect()
{
    return SQLDisconnect(m_hdbc);
}

SQLRETURN CODBCObject::SqlFreeStmt(SQLUSMALLINT option)
{
    if (option != SQL_DROP) {
        return SQLFreeStmt(m_hstmt, option);
    }
    const SQLRETURN rc = SQLFreeHandle(SQL_HANDLE_STMT, m_hstmt);
    m_hstmt = SQL_NULL_HSTMT;
    return rc;
}

SQLRETURN CODBCObject::SqlCloseCursor()
{
    return SQLCloseCursor(m_hstmt);
}

SQLRETURN CODBCObject::SqlFreeConnect()
{
    const SQLRETURN rc = SQLFreeHandle(SQL_HANDLE_DBC, m_hdbc);
    if (SQL_SUCCEEDED(rc)) {
        SetHdbc(SQL_NULL_HDBC);
    }
    return rc;
}

SQLRETURN CODBCObject::SqlGetDiagRec(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record,
                                     SQLWCHAR* state, SQLINTEGER* nativeError, SQLWCHAR* message,
                                     SQLSMALLINT messageMax, SQLSMALLINT* messageLength)
{
    return SQLGetDiagRecW(handleType, handle, record, state, nativeError, message, messageMax,
                          messageLength);
}
