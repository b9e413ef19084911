#pragma once

#include "odbc/CODBCObject.h"
#include "odbc/COdbcCallThread.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>

class CThreadOdbcOwner;

// The connection object of a query thread. Every outcome becomes result lines
// of the owning thread instead of a message to the user, calls that the driver
// reports as still executing honour the thread's stop request, and long text is
// bound like ordinary text of 233 characters.
class CThreadODBC : public CODBCObject
{
public:
    explicit CThreadODBC(CThreadOdbcOwner* owner) : m_ownerThread(owner) {}
    ~CThreadODBC() override;

    // The thread that uses the object now; none between runs of a kept connection.
    CThreadOdbcOwner* OwnerThread() const { return m_ownerThread; }
    void SetOwnerThread(CThreadOdbcOwner* owner) { m_ownerThread = owner; }

    bool SetAsyncMode(bool) override { return true; }
    // A fresh link: what a failed connect before it reported no longer holds.
    bool AfterConnect() override;
    bool DescribeColumn(int number, ColumnInfo& column) override;
    bool MoreResults() override;
    bool Close() override;
    bool CheckReturn(SQLRETURN rc, bool report = true) override;
    // On the connection's own thread once it has one.
    bool Disconnect() override;

    // Runs `calls` on the one thread that makes the connection's driver calls
    // from the first use on, whichever thread asks; returns when they are
    // done. A connection used by one thread after another goes through here.
    void RunOnConnectionThread(const std::function<void()>& calls);

    // Executes one batch. A stop request while the driver reports the call as
    // still executing cancels the statement; the answer is then false.
    bool ExecuteCancellable(const QString& batch);

    // From another thread: cancels the statement that the owning thread is
    // executing or fetching right now (not a fetch where the driver's cancel
    // would close the statement, see DriverTraits::cancelClosesFetch), so that
    // a blocked driver call returns,
    // and keeps the owning thread from starting another such call until
    // ResetCancel. True when a running call was cancelled. Never races the
    // statement's close or free.
    bool CancelFromOtherThread();
    // Lets calls run again; the owning thread calls it when a run begins.
    void ResetCancel();

    // A reported error said that the link to the server is gone (see
    // odbc::IsLinkFailure); cleared when the connection is closed.
    bool LinkLost() const { return m_linkLost; }

    // The calls that can block for as long as the server works; each marks the
    // statement as executing while it runs.
    SQLRETURN SqlExecDirect(const QString& text) override;
    SQLRETURN SqlFetch() override;
    SQLRETURN SqlMoreResults() override;
    SQLRETURN SqlFreeStmt(SQLUSMALLINT option) override;

    // The spare statement that a stop cancels on a driver whose cancel would end
    // more than the running statement (DriverTraits::cancelsSpareStatement). The
    // caller holds the statement lock.
    virtual SQLRETURN SqlAllocSpareStmt();
    virtual SQLRETURN SqlCancelSpareStmt();
    // Frees the handle and forgets it.
    virtual SQLRETURN SqlFreeSpareStmt();

    // Long text shows at most this many characters in a result row, and a text column is read
    // with room for at least as many, whatever size its driver gives it.
    void SetLongTextChars(SQLLEN chars)
    {
        m_longTextChars = std::clamp<SQLLEN>(chars, 1, kMaxElementChars);
    }
    SQLLEN LongTextChars() const { return m_longTextChars; }
    static constexpr SQLLEN kLongTextChars = 233;
    // Pause between two polls of a driver that is still executing.
    static constexpr int kPollMilliseconds = 5;

protected:
    void ApplyQueryTimeout() override;

private:
    void PostErrors();
    void NoteLinkFailure();
    void FreeSpareStatement();
    bool DisconnectHere();
    // On the connection's thread when it has one, else on this one.
    void OnConnectionThread(const std::function<void()>& calls);

    // Marks the statement as executing for the life of one driver call, or
    // refuses the call when a cancel came before it could start.
    class ExecutingScope
    {
    public:
        // `fetch`: the call fetches a row of a result the statement already has.
        explicit ExecutingScope(CThreadODBC& connection, bool fetch = false);
        ~ExecutingScope();
        bool Refused() const { return m_refused; }
        // Remembers whether the driver left the call running asynchronously; the connection
        // learns it as the scope ends.
        SQLRETURN Note(SQLRETURN rc);

    private:
        CThreadODBC& m_connection;
        bool m_refused = false;
        bool m_noted = false;
        bool m_stillExecuting = false;
    };

    std::mutex m_statementLock; // the statement handle against a cancel from elsewhere
    bool m_executing = false;
    bool m_fetching = false;           // what executes is a fetch
    bool m_fetchesUncancelled = false; // DriverTraits::cancelClosesFetch, for the stopping thread
    bool m_cancelled = false;          // a cancel came; no new call starts
    bool m_asyncPending = false;       // the last call answered "still executing"
    // What a stop cancels where the driver's cancel would end more than the
    // running statement; no one else uses it.
    SQLHSTMT m_spareHstmt = SQL_NULL_HSTMT;
    bool m_linkLost = false;
    SQLLEN m_longTextChars = kLongTextChars;

    CThreadOdbcOwner* m_ownerThread;
    std::unique_ptr<COdbcCallThread> m_callThread; // made by the first RunOnConnectionThread
};
