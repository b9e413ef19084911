#include "odbc/CThreadODBC.h"

#include "odbc/CThreadOdbcOwner.h"
#include "odbc/LinkFailure.h"

#include <chrono>
#include <thread>

CThreadODBC::~CThreadODBC()
{
    // The base class would disconnect on this thread; the connection's own
    // thread may hold the driver's lock for good, so it has to.
    OnConnectionThread([this] {
        FreeSpareStatement();
        ReleaseConnection();
    });
    m_callThread.reset();
}

void CThreadODBC::RunOnConnectionThread(const std::function<void()>& calls)
{
    if (!m_callThread) {
        m_callThread = std::make_unique<COdbcCallThread>();
    }
    m_callThread->Run(calls);
}

void CThreadODBC::OnConnectionThread(const std::function<void()>& calls)
{
    if (m_callThread) {
        m_callThread->Run(calls);
    } else {
        calls();
    }
}

bool CThreadODBC::Disconnect()
{
    bool disconnected = false;
    OnConnectionThread([this, &disconnected] { disconnected = DisconnectHere(); });
    return disconnected;
}

bool CThreadODBC::DisconnectHere()
{
    FreeSpareStatement();
    m_linkLost = false;
    return CODBCObject::Disconnect();
}

bool CThreadODBC::AfterConnect()
{
    m_linkLost = false;
    return true;
}

void CThreadODBC::FreeSpareStatement()
{
    std::lock_guard guard(m_statementLock);
    if (m_spareHstmt != SQL_NULL_HSTMT) {
        SqlFreeSpareStmt();
    }
}

bool CThreadODBC::DescribeColumn(int number, ColumnInfo& column)
{
    if (!CODBCObject::DescribeColumn(number, column)) {
        return false;
    }
    if (column.valueType == TypeLongText) {
        column.valueType = TypeText;
        column.displaySize = m_longTextChars;
        column.cutByDriver = true;
    } else if (column.valueType == TypeText && column.displaySize >= 0 &&
               column.displaySize < m_longTextChars) {
        column.displaySize = m_longTextChars;
    }
    return true;
}

bool CThreadODBC::MoreResults()
{
    if (m_traits.countEndsBatch && GetColumnCount() < 1) {
        return false;
    }
    SQLRETURN rc = SqlMoreResults();
    while (rc == SQL_STILL_EXECUTING && m_ownerThread) {
        if (!m_ownerThread->KeepRunningAfter(kPollMilliseconds)) {
            return false;
        }
        rc = SqlMoreResults();
    }
    if (rc == SQL_NO_DATA || !CheckReturn(rc)) {
        return false;
    }
    m_currentRow = -1;
    return true;
}

bool CThreadODBC::Close()
{
    if (m_hstmt != SQL_NULL_HSTMT) {
        SqlFreeStmt(SQL_CLOSE);
        m_blockFetch = 0;
        SqlFreeStmt(SQL_UNBIND);
        SqlFreeStmt(SQL_RESET_PARAMS);
    }
    UnbindColumns();
    ResetParameters();
    m_rowStatus.clear();
    m_rowIndex = 0;
    m_currentRow = -1;
    m_currentRowCompanion = -1;
    return true;
}

void CThreadODBC::PostErrors()
{
    NoteLinkFailure();
    if (m_ownerThread) {
        m_ownerThread->PostDiagnostics(*this, ElemError);
    }
}

void CThreadODBC::NoteLinkFailure()
{
    // Read before the report consumes them; the statement's records and the
    // connection's both, since drivers put a lost link on either.
    for (const auto& [type, handle] : {std::pair<SQLSMALLINT, SQLHANDLE>{SQL_HANDLE_STMT, m_hstmt},
                                       std::pair<SQLSMALLINT, SQLHANDLE>{SQL_HANDLE_DBC, m_hdbc}}) {
        for (const odbc::DiagRecord& record : ReadDiagnostics(type, handle)) {
            m_linkLost = m_linkLost || odbc::IsLinkFailure(record);
        }
    }
}

bool CThreadODBC::CheckReturn(SQLRETURN rc, bool /*report*/)
{
    const bool reportInfo = m_ownerThread && !m_ownerThread->IgnoreInfo();
    switch (rc) {
    case SQL_SUCCESS:
        SetStatus(StatusOk);
        return true;
    case SQL_SUCCESS_WITH_INFO:
        SetStatus(StatusInfo);
        if (reportInfo) {
            m_ownerThread->PostDiagnostics(*this, ElemInfo);
        }
        return true;
    case SQL_NO_DATA:
        if (reportInfo) {
            m_ownerThread->AddMessage(QStringLiteral("End(No data found)"), 0, ElemInfo);
        }
        SetStatus(StatusNoData);
        return false;
    case SQL_STILL_EXECUTING:
        SetStatus(StatusStillExecuting);
        break;
    case SQL_ERROR:
    case SQL_NEED_DATA:
        SetStatus(StatusError);
        break;
    case SQL_INVALID_HANDLE:
        SetStatus(StatusInvalidHandle);
        break;
    default:
        break;
    }
    PostErrors();
    return false;
}

void CThreadODBC::ApplyQueryTimeout()
{
    // The run goes on without a time-out when the driver will not take one.
    const SQLRETURN rc =
        SqlSetStmtOption(SQL_QUERY_TIMEOUT, static_cast<SQLULEN>(GetQueryTimeout()));
    if (rc != SQL_SUCCESS && m_ownerThread) {
        m_ownerThread->AddMessage(QStringLiteral("Can't set query timeout"), 0, ElemError);
    }
}

bool CThreadODBC::ExecuteCancellable(const QString& batch)
{
    SQLRETURN rc = SqlExecDirect(batch);
    while (rc == SQL_STILL_EXECUTING && m_ownerThread) {
        if (m_ownerThread->KeepRunningAfter(kPollMilliseconds)) {
            rc = SqlExecDirect(batch);
            continue;
        }
        // Asked to stop: cancel until the driver gives up the statement.
        do {
            SqlCancel();
            rc = SqlExecDirect(batch);
            if (rc == SQL_STILL_EXECUTING) {
                std::this_thread::sleep_for(std::chrono::milliseconds(kPollMilliseconds));
            }
        } while (rc == SQL_STILL_EXECUTING);
        Close();
        CheckReturn(SQL_SUCCESS);
        return false;
    }
    return CheckReturn(rc);
}

CThreadODBC::ExecutingScope::ExecutingScope(CThreadODBC& connection, bool fetch)
    : m_connection(connection)
{
    std::lock_guard guard(m_connection.m_statementLock);
    // A call that completes an asynchronous one must still be made, cancelled or not.
    m_refused = m_connection.m_cancelled && !m_connection.m_asyncPending;
    m_connection.m_executing = !m_refused;
    m_connection.m_fetching = fetch;
}

CThreadODBC::ExecutingScope::~ExecutingScope()
{
    // One lock for both: a fetch loop takes it twice a row, not three times.
    std::lock_guard guard(m_connection.m_statementLock);
    m_connection.m_executing = false;
    if (m_noted) {
        m_connection.m_asyncPending = m_stillExecuting;
    }
}

SQLRETURN CThreadODBC::ExecutingScope::Note(SQLRETURN rc)
{
    m_noted = true;
    m_stillExecuting = rc == SQL_STILL_EXECUTING;
    return rc;
}

SQLRETURN CThreadODBC::SqlExecDirect(const QString& text)
{
    ExecutingScope executing(*this);
    return executing.Refused() ? SQL_ERROR : executing.Note(CODBCObject::SqlExecDirect(text));
}

SQLRETURN CThreadODBC::SqlFetch()
{
    ExecutingScope executing(*this, true);
    return executing.Refused() ? SQL_ERROR : executing.Note(CODBCObject::SqlFetch());
}

SQLRETURN CThreadODBC::SqlMoreResults()
{
    ExecutingScope executing(*this);
    return executing.Refused() ? SQL_ERROR : executing.Note(CODBCObject::SqlMoreResults());
}

SQLRETURN CThreadODBC::SqlFreeStmt(SQLUSMALLINT option)
{
    // A cancel from another thread holds the lock while it uses the handle.
    std::lock_guard guard(m_statementLock);
    m_asyncPending = false;
    return CODBCObject::SqlFreeStmt(option);
}

bool CThreadODBC::CancelFromOtherThread()
{
    std::lock_guard guard(m_statementLock);
    m_cancelled = true;
    if (!m_executing || m_hstmt == SQL_NULL_HSTMT || (m_fetching && m_fetchesUncancelled)) {
        return false;
    }
    if (m_spareHstmt != SQL_NULL_HSTMT) {
        SqlCancelSpareStmt();
        return true;
    }
    // ODBC 3 allows SQLCancel on a statement that another thread executes.
    SqlCancel();
    return true;
}

void CThreadODBC::ResetCancel()
{
    const bool spare = IsConnected() && m_traits.cancelsSpareStatement;
    std::lock_guard guard(m_statementLock);
    m_cancelled = false;
    m_fetchesUncancelled = m_traits.cancelClosesFetch;
    if (spare && m_spareHstmt == SQL_NULL_HSTMT) {
        // Without it a stop waits for the driver's next row.
        SqlAllocSpareStmt();
    }
}
