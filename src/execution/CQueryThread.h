#pragma once

#include "document/CConnectionData.h"
#include "execution/CPostElemArray.h"
#include "execution/CRunSettings.h"
#include "execution/CWorkerThread.h"
#include "odbc/CThreadOdbcOwner.h"

#include <QStringList>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class CDocumentLink;
class CResultBudget;
class CTessellaDoc;
class CThreadODBC;

// What a result set's elements say beyond their text: a header's batch and result numbers, a
// row's value marks.
struct ElementShape
{
    const odbc::ValueMarks* marks = nullptr;
    int batch = -1;
    int result = -1;
};

// Runs every batch of a run on one connection entry: connects (or reuses the
// document's kept connection), executes the batches in order, reads every
// result set and hands everything it produces to the user-interface thread as
// result elements, posted in batches of 10 and then 100.
//
// Everything the thread uses while it runs is its own or shared with it (the
// batches, the link to its document), so that a document may close and leave
// behind a thread stuck in a driver call; only the kept connection is the
// document's, and the document gives that up along with the thread.
//
// Every element is charged to the run's result budget; once that is closed (its limit reached,
// or memory ran out anywhere in the run) the thread stops fetching, adds one error line that says
// why and ends as after its last batch.
class CQueryThread : public CWorkerThread, public CThreadOdbcOwner
{
public:
    // Takes the document's kept connection for the entry's data source, if it
    // gives one; otherwise the thread connects on a connection of its own.
    CQueryThread(const CConnectionData& entry, std::shared_ptr<const QStringList> batches,
                 CTessellaDoc* document, bool ignoreInfo);
    // Waits for the thread, then frees every batch it still holds.
    ~CQueryThread() override;

    // 0 also once the run's result budget is closed.
    int KeepRunning() override { return CWorkerThread::KeepRunning() && WithinBudget(); }
    int KeepRunningAfter(int milliseconds) override
    {
        return KeepRunningWithin(milliseconds) && WithinBudget();
    }
    bool IgnoreInfo() const override { return m_ignoreInfo; }
    void AddElement(const QString& text, int kind) override;

    // Posts the pending batch (dropped after a stop request) and frees handled ones. A failed
    // allocation throws std::bad_alloc before the batch is posted; it stays pending.
    void Flush();
    // Deletes posted batches that the user-interface thread has taken (all: every one), or
    // keeps a few of them for the batches to come.
    void FreeHandled(bool all);

    // Instead of connecting, the run of this entry only shows `reason` as an error: the text was
    // found unfit to send before anything ran. Called before Start.
    void Refuse(const QString& reason) { m_refusal = reason; }
    // Characters a long text value shows at most (see CRunSettings::longTextLimit). Called
    // before Start.
    void SetLongTextChars(int chars) { m_longTextChars = chars; }

    // The title row of this entry's group of results: its data source name unless another entry
    // of the run names the same one. Called before Start.
    void SetGroupTitle(const QString& title) { m_groupTitle = title; }
    const QString& GroupTitle() const { return m_groupTitle; }
    // After a failed Start, on the starting thread: the entry's results say why it
    // does not run, and the thread counts as failed.
    void ReportStartFailure();

    const CConnectionData& Entry() const { return m_entry; }
    // The document's kept connection that this thread was given, if any.
    const CThreadODBC* KeptConnection() const { return m_kept; }
    // Rows received so far in this run; readable from any thread.
    qint64 RowsReceived() const { return m_rows.load(std::memory_order_relaxed); }
    // The connection failed, or a batch failed to execute.
    bool Failed() const { return m_failed.load(std::memory_order_acquire); }
    // Error lines of this entry's results so far; readable from any thread.
    int ErrorCount() const { return m_errors.load(std::memory_order_relaxed); }
    // How long the thread has worked in this run, until now while it works; 0 before it began.
    qint64 DurationMs() const;
    // The thread's work has begun in this run (a stop before its turn, or a failed Start, leaves
    // it at false).
    bool HasBegun() const { return m_begunNs.load(std::memory_order_acquire) != 0; }
    // Batches posted and not yet freed.
    std::size_t PostedCount() const { return m_posted.size(); }

protected:
    int Work() override;
    void OnThreadStart() override;
    // Cancels the statement that a driver call may be blocked on.
    void OnStopRequested() override;

private:
    int RunEntry();
    void LowerPriorityOfThisThread() const;
    bool Connect(CThreadODBC& connection);
    void RunBatches(CThreadODBC& connection);
    void DropKeptConnection();
    // `number`: the batch's index among the run's batches.
    void RunBatch(CThreadODBC& connection, const QString& batch, int number);
    void ReadResultSet(CThreadODBC& connection, int columns, int batch, int result);
    void NoteFailure(const CThreadODBC& connection);
    // False, noting that the thread was cut short, once the budget is closed.
    bool WithinBudget();
    using Shape = ElementShape;
    void AddShaped(const QString& text, int kind, const Shape& shape);
    void BuildElement(const QString& text, int kind, const Shape& shape = {});
    // The thread's last batch, with the line that tells why it was cut short, if it was.
    void PostLastBatch();
    void AddStopMessage();

    int m_flushAt = 10;
    CThreadODBC* m_connection = nullptr;
    bool m_ignoreInfo;
    CConnectionData m_entry;
    QString m_groupTitle;
    std::shared_ptr<const QStringList> m_batchList;
    std::shared_ptr<CDocumentLink> m_link;
    const CThreadODBC* m_kept;
    bool m_lowPriority;
    std::shared_ptr<CResultBudget> m_budget;
    bool m_cutShort = false; // the closed budget ended this run's work
    std::unique_ptr<CPostElemArray> m_pending;
    std::vector<std::unique_ptr<CPostElemArray>> m_posted;
    std::vector<std::unique_ptr<CPostElemArray>> m_spare; // recycled, for the next batches
    QString m_rowText;
    QString m_refusal;
    int m_longTextChars = CRunSettings::kDefaultLongTextLimit;
    std::atomic<qint64> m_rows{0};
    std::atomic<bool> m_failed{false};
    std::atomic<int> m_errors{0};
    // Steady-clock nanoseconds of the work's beginning and end; 0 until then.
    std::atomic<qint64> m_begunNs{0};
    std::atomic<qint64> m_endedNs{0};
    std::mutex m_activeLock;         // m_active against a stop from another thread
    CThreadODBC* m_active = nullptr; // the connection Work uses, while it uses it
};
