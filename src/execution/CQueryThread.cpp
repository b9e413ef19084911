#include "execution/CQueryThread.h"

#include "execution/CDocumentLink.h"
#include "execution/CSqlScanner.h"
#include "execution/CTessellaDoc.h"
#include "odbc/CThreadODBC.h"
#include "odbc/ValueText.h"

#include <chrono>
#include <new>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Characters reserved per column for a row's text.
constexpr int kCharsPerColumn = 20;
// Handled batches kept for reuse: as many as the user-interface thread takes in at once, more
// or less, while the thread fills the next.
constexpr std::size_t kSpareBatches = 4;

qint64 SteadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

CQueryThread::CQueryThread(const CConnectionData& entry, std::shared_ptr<const QStringList> batches,
                           CTessellaDoc* document, bool ignoreInfo)
    : m_ignoreInfo(ignoreInfo), m_entry(entry), m_groupTitle(entry.m_dataSource),
      m_batchList(std::move(batches)), m_link(document->Link()),
      m_lowPriority(document->LowPriorityThreads()), m_budget(document->SharedResultBudget())
{
    m_connection = document->GetSharedConnection(m_entry.m_dataSource, m_entry.m_login);
    m_kept = m_connection;
    if (m_connection) {
        m_connection->SetOwnerThread(this);
    }
}

CQueryThread::~CQueryThread()
{
    StopAndWait();
    m_pending.reset();
    FreeHandled(true);
    m_spare.clear();
}

void CQueryThread::OnThreadStart()
{
    LowerPriorityOfThisThread();
}

void CQueryThread::LowerPriorityOfThisThread() const
{
    if (!m_lowPriority) {
        return;
    }
#ifdef __linux__
    // Lowest priority for this thread alone, so the user interface stays
    // responsive while rows stream in.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
#endif
}

void CQueryThread::OnStopRequested()
{
    std::lock_guard guard(m_activeLock);
    if (m_active) {
        m_active->CancelFromOtherThread();
    }
}

qint64 CQueryThread::DurationMs() const
{
    const qint64 begun = m_begunNs.load(std::memory_order_acquire);
    if (begun == 0) {
        return 0;
    }
    const qint64 ended = m_endedNs.load(std::memory_order_acquire);
    return ((ended != 0 ? ended : SteadyNs()) - begun) / 1000000;
}

int CQueryThread::Work()
{
    m_endedNs.store(0, std::memory_order_release);
    m_begunNs.store(SteadyNs(), std::memory_order_release);
    const int code = RunEntry();
    m_endedNs.store(SteadyNs(), std::memory_order_release);
    return code;
}

int CQueryThread::RunEntry()
{
    m_flushAt = 10;
    if (!m_refusal.isEmpty()) {
        AddElement(m_refusal, ElemError);
        m_failed.store(true, std::memory_order_release);
        Flush();
        return 0;
    }
    m_cutShort = false;
    std::unique_ptr<CThreadODBC> own;
    CThreadODBC* connection = m_connection;
    if (!connection) {
        own = std::make_unique<CThreadODBC>(this);
        connection = own.get();
    }
    connection->SetConvertValues(0);
    connection->SetLongTextChars(m_longTextChars);
    connection->SetShowProgress(0);
    {
        std::lock_guard guard(m_activeLock);
        m_active = connection;
    }
    // A kept connection serves one run's thread after another; every driver
    // call goes to the one thread that the connection keeps for them.
    connection->RunOnConnectionThread([this, connection, kept = !own] {
        LowerPriorityOfThisThread();
        if (Connect(*connection)) {
            // A stop from here on cancels what the driver runs (checked first
            // thing in the loop below, so one that came earlier is not lost).
            connection->ResetCancel();
            connection->SetAsyncMode(false);
            const odbc::DriverTraits& traits = connection->Traits();
            connection->SetUtf8Text(traits.utf8Text, traits.fullWideElements);
            connection->SetUtf8Statements(traits.utf8Statements);
            try {
                RunBatches(*connection);
            } catch (const std::bad_alloc&) {
                // A row's text, a column's buffer: whatever failed, the program goes on and
                // the run stops fetching as at the limit.
                m_budget->NoteOutOfMemory();
                m_cutShort = true;
            }
        }
        if (kept) {
            connection->Close();
        }
    });
    {
        std::lock_guard guard(m_activeLock);
        m_active = nullptr;
    }
    if (own) {
        const bool wasConnected = own->IsConnected();
        own->Disconnect();
        if (wasConnected) {
            m_link->SetConnectedState(m_entry.m_dataSource, 1);
        }
    } else {
        connection->SetOwnerThread(nullptr);
        if (connection->LinkLost()) {
            DropKeptConnection();
        }
    }
    PostLastBatch();
    // Room for batches to come is no use to a thread that has ended: the results' memory is
    // what the user's limit counts.
    m_spare.clear();
    return 0;
}

void CQueryThread::PostLastBatch()
{
    try {
        AddStopMessage();
        Flush();
        return;
    } catch (const std::bad_alloc&) {
        m_budget->NoteOutOfMemory();
        m_cutShort = true;
    }
    // The rows still pending make room for the one line that says why they are missing.
    m_pending.reset();
    try {
        AddStopMessage();
        Flush();
    } catch (const std::bad_alloc&) {
        m_pending.reset();
    }
}

void CQueryThread::AddStopMessage()
{
    if (!m_cutShort || StopRequested()) {
        return;
    }
    m_cutShort = false; // one line a run, however often the caller tries
    BuildElement(m_budget->StopMessage(), ElemError);
}

bool CQueryThread::WithinBudget()
{
    if (m_budget->IsOpen()) {
        return true;
    }
    m_cutShort = true;
    return false;
}

void CQueryThread::RunBatches(CThreadODBC& connection)
{
    const qsizetype count = m_batchList->size();
    for (qsizetype done = 0; done < count && KeepRunning(); ++done) {
        // Only white space and comments: no driver gets the empty statement (several answer it
        // with an error, or worse).
        if (CSqlScanner::IsBlank(m_batchList->at(done))) {
            continue;
        }
        // Where the driver would cut the statement at a semicolon in a comment.
        const QString& batch = m_batchList->at(done);
        RunBatch(connection,
                 connection.Traits().commentSemicolonsEndStatements
                     ? CSqlScanner::BlankSemicolonComments(batch)
                     : batch,
                 int(done));
        if (connection.LinkLost() && done + 1 < count) {
            // Each would only fail again with the same diagnostics.
            const qsizetype left = count - done - 1;
            AddElement(u"Connection lost: the remaining %1 batch(es) were not run"_qs.arg(left),
                       ElemError);
            m_failed.store(true, std::memory_order_release);
            return;
        }
    }
}

void CQueryThread::DropKeptConnection()
{
    // A dead link stays dead: kept, it would fail every later run until a
    // manual reset. Without an owner its disconnect reports nothing more. A
    // document that has given the connection up with this thread keeps it.
    std::unique_ptr<CThreadODBC> dropped =
        m_link->TakeKeptConnection(m_entry.m_dataSource, m_connection);
    m_connection = nullptr;
    if (dropped) {
        dropped.reset();
        m_link->NotifyConnectionsChanged();
    }
}

bool CQueryThread::Connect(CThreadODBC& connection)
{
    if (connection.IsConnected()) {
        return true;
    }
    // A failure has been reported as error elements by the connection itself.
    if (!connection.ConnectNoPrompt(m_entry.m_dataSource, m_entry.m_login, m_entry.m_password, {},
                                    m_entry.m_timeOut, false, nullptr, false)) {
        m_failed.store(true, std::memory_order_release);
        return false;
    }
    if (&connection == m_connection) {
        m_link->NotifyConnectionsChanged();
    } else {
        m_link->SetConnectedState(m_entry.m_dataSource, 0);
    }
    return true;
}

void CQueryThread::NoteFailure(const CThreadODBC& connection)
{
    if (!KeepRunning()) {
        return; // what a stop broke off did not fail
    }
    const int status = connection.GetStatus();
    if (status != StatusOk && status != StatusInfo && status != StatusNoData) {
        m_failed.store(true, std::memory_order_release);
    }
}

void CQueryThread::RunBatch(CThreadODBC& connection, const QString& batch, int number)
{
    int results = 0;
    connection.Close();
    if (!connection.ExecuteCancellable(batch)) {
        NoteFailure(connection);
        return;
    }
    if (!KeepRunning()) {
        return;
    }
    do {
        connection.UnbindColumns();
        const int columns = connection.GetColumnCount();
        if (columns < 1) {
            AddMessage(u"Rows affected:\t"_qs + QString::number(connection.GetRowCount()), 0,
                       ElemInfo);
        } else {
            ReadResultSet(connection, columns, number, results++);
        }
    } while (KeepRunning() && !connection.LinkLost() && connection.MoreResults());
}

void CQueryThread::ReadResultSet(CThreadODBC& connection, int columns, int batch, int result)
{
    m_rowText.reserve(columns * kCharsPerColumn);
    connection.DescribeColumns();
    QString header;
    bool first = true;
    for (const auto& column : connection.Columns()) {
        if (!first) {
            header += u'\t';
        }
        first = false;
        header += column->Name();
    }
    AddShaped(header, ElemHeader, {nullptr, batch, result});
    while (KeepRunning()) {
        SQLRETURN rc = connection.SqlFetch();
        while (rc == SQL_STILL_EXECUTING && KeepRunningAfter(CThreadODBC::kPollMilliseconds)) {
            rc = connection.SqlFetch();
        }
        if (!KeepRunning()) {
            break;
        }
        if (!connection.CheckReturn(rc)) {
            // Past the end, or broken off by an error (a dead server) that fails the batch.
            NoteFailure(connection);
            break;
        }
        // Emptied, not released: the buffer serves every row of the result set.
        m_rowText.resize(0);
        connection.FormatRow(m_rowText);
        if (connection.RowWasCut() && !IgnoreInfo()) {
            AddMessage(odbc::CutValueWarning(), 0, ElemInfo);
        }
        AddShaped(m_rowText, ElemRow, {&connection.RowMarks()});
        m_rows.fetch_add(1, std::memory_order_relaxed);
    }
}

void CQueryThread::ReportStartFailure()
{
    AddElement(u"Can't start a thread for this connection: "_qs +
                   QString::fromStdString(StartError()),
               ElemError);
    m_failed.store(true, std::memory_order_release);
    Flush();
}

void CQueryThread::AddElement(const QString& text, int kind)
{
    AddShaped(text, kind, {});
}

void CQueryThread::AddShaped(const QString& text, int kind, const Shape& shape)
{
    if (kind == ElemError) {
        m_errors.fetch_add(1, std::memory_order_relaxed);
    }
    const bool marked = shape.marks && shape.marks->Any();
    if (!m_budget->Charge(text, marked ? odbc::ValueMarks::BytesFor(shape.marks->Count()) : 0)) {
        m_cutShort = true;
        return;
    }
    try {
        BuildElement(text, kind, shape);
    } catch (const std::bad_alloc&) {
        m_budget->NoteOutOfMemory();
        m_cutShort = true;
    }
}

void CQueryThread::BuildElement(const QString& text, int kind, const Shape& shape)
{
    if (!m_pending && !m_spare.empty()) {
        m_pending = std::move(m_spare.back());
        m_spare.pop_back();
    }
    if (!m_pending) {
        m_pending = std::make_unique<CPostElemArray>(m_groupTitle, m_flushAt);
    }
    if (kind == ElemHeader && shape.batch >= 0) {
        m_pending->AddHeader(text, shape.batch, shape.result);
    } else if (kind == ElemRow && shape.marks) {
        m_pending->AddRow(text, *shape.marks);
    } else {
        m_pending->AddText(kind, text);
    }
    if (m_pending->size() >= m_flushAt) {
        Flush();
        m_flushAt = 100;
    }
}

void CQueryThread::Flush()
{
    if (m_pending) {
        // What came before a closed budget is still shown; only a stop drops it.
        if (!StopRequested()) {
            // Room first: once posted, the batch must be in m_posted whatever happens.
            m_posted.reserve(m_posted.size() + 1);
            // Kept even when there is no window to take it: freed with the thread.
            m_link->PostBatch(m_pending.get());
            m_posted.push_back(std::move(m_pending));
        }
        m_pending.reset();
    }
    FreeHandled(false);
}

void CQueryThread::FreeHandled(bool all)
{
    for (auto it = m_posted.end(); it != m_posted.begin();) {
        --it;
        if (all || (*it)->m_handled.load(std::memory_order_acquire) == 1) {
            if (!all && m_spare.size() < kSpareBatches) {
                (*it)->Recycle();
                m_spare.push_back(std::move(*it));
            }
            it = m_posted.erase(it);
        }
    }
}
