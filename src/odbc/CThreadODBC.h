#pragma once

#include "CODBCObject.h"

class CThreadOdbcOwner;

// The connection object of a query thread. Every outcome becomes result lines
// of the owning thread instead of a message to the user, calls that the driver
// reports as still executing honour the thread's stop request, and long text is
// bound like ordinary text of 233 characters.
class CThreadODBC : public CODBCObject
{
public:
    explicit CThreadODBC(CThreadOdbcOwner* owner);

    // The thread that uses the object now; none between runs of a kept connection.
    CThreadOdbcOwner* OwnerThread() const { return m_ownerThread; }
    void SetOwnerThread(CThreadOdbcOwner* owner) { m_ownerThread = owner; }

    bool SetAsyncMode(bool) override { return true; }
    bool AfterConnect(const QString&) override { return true; }
    bool DescribeColumn(int number, ColumnInfo& column) override;
    bool MoreResults() override;
    bool Close() override;
    bool CheckReturn(SQLRETURN rc, bool report = true) override;
    bool PrepareStatement() override;

    // Executes one batch. A stop request while the driver reports the call as
    // still executing cancels the statement; the answer is then false.
    bool ExecuteCancellable(const QString& batch);

    // Long text shows at most this many characters in a result row.
    static constexpr SQLLEN kLongTextChars = 233;
    // Pause between two polls of a driver that is still executing.
    static constexpr int kPollMilliseconds = 5;

private:
    void PostErrors();

    CThreadOdbcOwner* m_ownerThread;
};
