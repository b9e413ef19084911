// Statement execution, parameters, transactions and version checks of CODBCObject.

#include "odbc/CODBCObject.h"

#include "odbc/OdbcString.h"

#include <chrono>
#include <cstdint>
#include <new>
#include <thread>

namespace {

// Long parameter data goes to the driver in pieces of at most this many bytes.
constexpr SQLLEN kPutDataChunk = 500000;
// The driver is asked again this often while it works on an asynchronous call.
constexpr auto kStillExecutingPause = std::chrono::milliseconds(2);

SQLSMALLINT ParameterDirection(int direction)
{
    switch (direction) {
    case 1:
        return SQL_PARAM_OUTPUT;
    case 2:
        return SQL_PARAM_INPUT_OUTPUT;
    default:
        return SQL_PARAM_INPUT;
    }
}

} // namespace

bool CODBCObject::SetMaxRows(SQLULEN rows)
{
    if (m_hstmt == SQL_NULL_HSTMT && !PrepareStatement()) {
        return false;
    }
    return CheckReturn(SqlSetStmtOption(SQL_MAX_ROWS, rows));
}

SQLRETURN CODBCObject::ExecuteNeedDataLoop(SQLRETURN rc, ParameterDataCallback callback,
                                           void* context)
{
    while (rc == SQL_NEED_DATA) {
        rc = SendParameterData(callback, context);
        if (GetStatus() == StatusAborted) {
            break;
        }
    }
    return rc;
}

bool CODBCObject::ExecuteSql(const QString& text, bool describe, bool useCursor, int cursorType,
                             ParameterDataCallback callback, void* context)
{
    m_blockFetch = 0;
    if (!PrepareStatement() || !SetCursorType(useCursor ? cursorType : 0)) {
        return false;
    }
    if (IsShowProgress()) {
        return ExecuteWithProgress(text, describe, callback, context);
    }
    const SQLRETURN rc = ExecuteNeedDataLoop(SqlExecDirect(text), callback, context);
    if (GetStatus() == StatusAborted || !CheckReturn(rc)) {
        return false;
    }
    return !describe || DescribeColumns();
}

bool CODBCObject::PrepareSql(const QString& text, bool useCursor, int cursorType)
{
    m_blockFetch = 0;
    if (!PrepareStatement() || !SetCursorType(useCursor ? cursorType : 0)) {
        return false;
    }
    return CheckReturn(SqlPrepare(text));
}

bool CODBCObject::ExecutePrepared(bool describe, ParameterDataCallback callback, void* context)
{
    const SQLRETURN rc = ExecuteNeedDataLoop(SqlExecute(), callback, context);
    if (GetStatus() == StatusAborted || !CheckReturn(rc)) {
        return false;
    }
    return !describe || DescribeColumns();
}

bool CODBCObject::CallProcedure(const QString& procedure, SQLINTEGER* returnValue, bool useCursor,
                                int cursorType)
{
    if (!PrepareSql(u"{?=call "_qs + procedure + u'}', useCursor, cursorType)) {
        return false;
    }
    return BindParameter(1, TypeLong, TypeLong, returnValue, 0, 1);
}

bool CODBCObject::BindParameter(SQLUSMALLINT number, int valueType, int parameterType,
                                SQLPOINTER value, SQLLEN length, int direction, bool useDefault)
{
    if (number == 0) {
        return false;
    }
    auto parameter = std::make_unique<ParameterInfo>();
    parameter->number = number;
    parameter->direction = direction;
    parameter->valueType = valueType;
    parameter->parameterType = parameterType;
    parameter->value = value;
    parameter->length = length;
    parameter->indicator = value ? length : SQL_NULL_DATA;
    if (useDefault) {
        parameter->indicator = SQL_DEFAULT_PARAM;
    }
    SQLPOINTER bound = value;
    if (parameterType == TypeLongText || parameterType == TypeLongBinary) {
        // Sent later by SendParameterData; the driver hands the number back.
        parameter->indicator = SQL_LEN_DATA_AT_EXEC(length);
        bound = reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(number));
    }
    if (m_parameters.size() < number) {
        m_parameters.resize(number);
    }
    const SQLRETURN rc =
        SqlBindParameter(number, ParameterDirection(direction), CTypeOfValueType(valueType),
                         SqlTypeOfValueType(parameterType), static_cast<SQLULEN>(length), 0, bound,
                         length, &parameter->indicator);
    if (!CheckReturn(rc)) {
        m_parameters[number - 1].reset();
        return false;
    }
    m_parameters[number - 1] = std::move(parameter);
    return true;
}

SQLRETURN CODBCObject::SendParameterData(ParameterDataCallback callback, void* context)
{
    SQLPOINTER token = nullptr;
    const SQLRETURN rc = SqlParamData(&token);
    if (rc != SQL_NEED_DATA) {
        return rc;
    }
    const auto number = static_cast<SQLUSMALLINT>(reinterpret_cast<std::uintptr_t>(token));
    const bool known = number >= 1 && number <= m_parameters.size() && m_parameters[number - 1];
    if (!known || !callback) {
        SqlPutData(nullptr, SQL_NULL_DATA);
        return SQL_NEED_DATA;
    }
    std::unique_ptr<char[]> block(new (std::nothrow) char[kPutDataChunk]());
    if (!block) {
        SetStatus(StatusAborted);
        ReportError(true, nullptr);
        return -1;
    }
    bool sent = false;
    for (;;) {
        const SQLLEN size = callback(context, number, block.get(), kPutDataChunk);
        if (size < 0) {
            SqlPutData(nullptr, SQL_NULL_DATA);
            break;
        }
        if (size == 0) {
            if (!sent) {
                SqlPutData(block.get(), 0);
            }
            break;
        }
        SqlPutData(block.get(), std::min(size, kPutDataChunk));
        sent = true;
    }
    return SQL_NEED_DATA;
}

SQLRETURN CODBCObject::RepeatUntilCancelled(const QString& text)
{
    SQLRETURN rc;
    do {
        SqlCancel();
        rc = text.isNull() ? SqlExecute() : SqlExecDirect(text);
    } while (rc == SQL_STILL_EXECUTING);
    return rc;
}

bool CODBCObject::ExecuteWithProgress(const QString& text, bool describe,
                                      ParameterDataCallback callback, void* context)
{
    SetAsyncMode(true);
    const auto start = std::chrono::steady_clock::now();
    bool abort = false;
    SQLRETURN rc;
    for (;;) {
        rc = text.isNull() ? SqlExecute() : SqlExecDirect(text);
        if (rc != SQL_STILL_EXECUTING) {
            break;
        }
        const auto elapsed = std::chrono::steady_clock::now() - start;
        const bool asking = !m_progressEnabled || elapsed >= std::chrono::seconds(5);
        if (asking && ShouldAbortExecution()) {
            abort = true;
            break;
        }
        std::this_thread::sleep_for(kStillExecutingPause);
    }
    if (abort) {
        RepeatUntilCancelled(text);
        Close();
        SetAsyncMode(false);
        CheckReturn(SQL_SUCCESS);
        return false;
    }
    rc = ExecuteNeedDataLoop(rc, callback, context);
    if (GetStatus() == StatusAborted) {
        SetAsyncMode(false);
        SetStatus(StatusAborted);
        return false;
    }
    // On failure the statement keeps its diagnostics for the caller to read.
    if (!CheckReturn(rc)) {
        return false;
    }
    SetAsyncMode(false);
    return !describe || DescribeColumns();
}

// --- transactions ------------------------------------------------------------

bool CODBCObject::ReadAutocommit(SQLULEN& value)
{
    value = 0;
    return SQL_SUCCEEDED(SqlGetConnectOption(SQL_AUTOCOMMIT, &value));
}

bool CODBCObject::BeginTransaction()
{
    SQLULEN autocommit = 0;
    if (ReadAutocommit(autocommit) && autocommit == SQL_AUTOCOMMIT_OFF) {
        return false; // one is open already
    }
    return CheckReturn(SqlSetConnectAttr(SQL_ATTR_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF));
}

bool CODBCObject::EndTransaction(SQLUSMALLINT completion)
{
    SQLULEN autocommit = 0;
    if (!ReadAutocommit(autocommit) || autocommit != SQL_AUTOCOMMIT_OFF) {
        return false;
    }
    if (!CheckReturn(SqlTransact(completion))) {
        return false;
    }
    return CheckReturn(SqlSetConnectAttr(SQL_ATTR_AUTOCOMMIT, SQL_AUTOCOMMIT_ON));
}

bool CODBCObject::CommitTransaction()
{
    return EndTransaction(SQL_COMMIT);
}

bool CODBCObject::RollbackTransaction()
{
    return EndTransaction(SQL_ROLLBACK);
}

bool CODBCObject::IsTransactionOpen()
{
    SQLULEN autocommit = 0;
    return ReadAutocommit(autocommit) && autocommit == SQL_AUTOCOMMIT_OFF;
}

// --- versions and diagnostics --------------------------------------------------

bool CODBCObject::CheckVersions(QString& driverVersion, QString& managerVersion,
                                QString& requiredVersion)
{
    requiredVersion = QStringLiteral("2.00");
    const double required = 2.0;
    bool ok = true;
    QString dropped;
    if (!SQL_SUCCEEDED(GetInfoString(SQL_ODBC_VER, managerVersion))) {
        GetErrorText(dropped);
        managerVersion.clear();
        ok = false;
    }
    if (!SQL_SUCCEEDED(GetInfoString(SQL_DRIVER_ODBC_VER, driverVersion))) {
        GetErrorText(dropped);
        driverVersion.clear();
        ok = false;
    }
    return ok && managerVersion.toDouble() >= required && driverVersion.toDouble() >= required;
}

int CODBCObject::HasErrorRecords()
{
    for (const odbc::DiagRecord& record : ReadDiagnostics(SQL_HANDLE_STMT, m_hstmt)) {
        const bool warning = record.state.startsWith(u"01");
        if (!warning && record.nativeError != 0) {
            return -1;
        }
    }
    return 1;
}
