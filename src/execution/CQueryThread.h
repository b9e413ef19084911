#pragma once

#include "CConnectionData.h"
#include "CPostElemArray.h"
#include "CThreadOdbcOwner.h"
#include "CWorkerThread.h"

#include <QStringList>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class CTessellaDoc;
class CThreadODBC;

// Runs every batch of a run on one connection entry: connects (or reuses the
// document's kept connection), executes the batches in order, reads every
// result set and hands everything it produces to the user-interface thread as
// result elements, posted in batches of 10 and then 100.
class CQueryThread : public CWorkerThread, public CThreadOdbcOwner
{
public:
    // Takes the document's kept connection for the entry's data source, if it
    // gives one; otherwise the thread connects on a connection of its own.
    CQueryThread(const CConnectionData& entry, const QStringList* batches, CTessellaDoc* document,
                 bool ignoreInfo);
    // Waits for the thread, then frees every batch it still holds.
    ~CQueryThread() override;

    int KeepRunning() override { return CWorkerThread::KeepRunning(); }
    int KeepRunningAfter(int milliseconds) override { return KeepRunningWithin(milliseconds); }
    bool IgnoreInfo() const override { return m_ignoreInfo; }
    void AddElement(const QString& text, int kind) override;

    // Posts the pending batch (dropped after a stop request) and frees handled ones.
    void Flush();
    // Deletes posted batches that the user-interface thread has taken (all: every one).
    void FreeHandled(bool all);

    const CConnectionData& Entry() const { return m_entry; }
    // Rows received so far in this run; readable from any thread.
    qint64 RowsReceived() const { return m_rows.load(std::memory_order_relaxed); }
    // The connection failed, or a batch failed to execute.
    bool Failed() const { return m_failed.load(std::memory_order_acquire); }
    // Batches posted and not yet freed.
    std::size_t PostedCount() const { return m_posted.size(); }

protected:
    int Work() override;
    void OnThreadStart() override;
    // Cancels the statement that a driver call may be blocked on.
    void OnStopRequested() override;

private:
    void LowerPriorityOfThisThread() const;
    bool Connect(CThreadODBC& connection);
    void RunBatches(CThreadODBC& connection);
    void DropKeptConnection();
    void RunBatch(CThreadODBC& connection, const QString& batch);
    void ReadResultSet(CThreadODBC& connection, int columns);
    void NoteFailure(const CThreadODBC& connection);

    int m_flushAt = 10;
    CThreadODBC* m_connection = nullptr;
    bool m_ignoreInfo;
    CConnectionData m_entry;
    const QStringList* m_batchList;
    CTessellaDoc* m_document;
    std::unique_ptr<CPostElemArray> m_pending;
    std::vector<std::unique_ptr<CPostElemArray>> m_posted;
    QString m_rowText;
    std::atomic<qint64> m_rows{0};
    std::atomic<bool> m_failed{false};
    std::mutex m_activeLock;         // m_active against a stop from another thread
    CThreadODBC* m_active = nullptr; // the connection Work uses, while it uses it
};
