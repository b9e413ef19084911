#include "execution/CTessellaDoc.h"

#include "execution/CAbandonedThreads.h"
#include "execution/CBatchSplitter.h"
#include "execution/CDocumentLink.h"
#include "execution/CRegisteredEvents.h"
#include "execution/CSqlTextSource.h"
#include "odbc/CThreadODBC.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>

#include <chrono>
#include <new>
#include <thread>

namespace {

// How long the preparation thread waits for the user interface to catch up
// every hundred batches.
constexpr int kCatchUpMilliseconds = 2000;
// How often the document looks whether a run that its listener follows has ended.
constexpr int kEndWatchMilliseconds = 100;

} // namespace

CTessellaDoc::CTessellaDoc(QObject* parent)
    : QObject(parent), m_link(std::make_shared<CDocumentLink>(this))
{
    m_endWatch.setInterval(kEndWatchMilliseconds);
    connect(&m_endWatch, &QTimer::timeout, this, &CTessellaDoc::ReportRunEnd);
}

CTessellaDoc::~CTessellaDoc()
{
    // Threads first: a kept connection may only go when no thread can use it. Entries still
    // waiting for their turn are not waited for: their threads never start.
    m_prepareThread.StopAndWait();
    {
        std::lock_guard guard(m_threadsLock);
        m_queryThreads.SignalStop();
    }
    if (m_endPending) {
        // The record of the run gets what the threads did until they stopped.
        m_stopAsked = true;
        for (const auto& thread : m_queryThreads) {
            thread->StopAndWait();
        }
        ReportRunEnd();
    }
    {
        std::lock_guard guard(m_threadsLock);
        m_queryThreads.RemoveAll();
    }
    m_link->Cut();
    CloseSharedConnections();
}

void CTessellaDoc::SetRunListener(std::shared_ptr<CRunListener> listener)
{
    m_runListener = std::move(listener);
}

void CTessellaDoc::ReportRunStart()
{
    if (!m_runListener) {
        return;
    }
    CRunListener::Start start;
    const QStringList titles = GroupTitles(m_connections);
    for (qsizetype i = 0; i < m_connections.size(); ++i) {
        const CConnectionData& entry = m_connections[i];
        if (entry.m_enabled) {
            start.connections << titles[i];
        }
        if (!entry.m_password.isEmpty()) {
            start.secrets << entry.m_password;
        }
    }
    for (const QString& password : std::as_const(m_runPasswords)) {
        if (!password.isEmpty()) {
            start.secrets << password;
        }
    }
    start.sqlText = m_sqlText;
    m_runListener->RunStarted(start);
    m_endPending = true;
    m_stopAsked = false;
    m_endWatch.start();
}

bool CTessellaDoc::ReportRunEnd()
{
    if (!m_endPending || !IsIdle()) {
        return false;
    }
    m_endPending = false;
    m_endWatch.stop();
    m_runListener->RunEnded(RunOutcome());
    return true;
}

CRunListener::End CTessellaDoc::RunOutcome() const
{
    CRunListener::End end;
    end.batches = int(m_batches->size());
    end.stopped = m_stopAsked;
    std::lock_guard guard(m_threadsLock);
    for (const auto& thread : m_queryThreads) {
        CRunListener::Outcome outcome;
        outcome.connection = thread->GroupTitle();
        outcome.rows = thread->RowsReceived();
        outcome.errors = thread->ErrorCount();
        outcome.failed = thread->Failed();
        outcome.started = thread->HasBegun();
        outcome.durationMs = thread->DurationMs();
        end.outcomes << outcome;
    }
    return end;
}

void CTessellaDoc::SetSettingsOverride(std::optional<CRunSettings> settings)
{
    m_settingsOverride = std::move(settings);
}

CRunSettings CTessellaDoc::Settings() const
{
    return m_settingsOverride ? *m_settingsOverride : CRunSettings::Load();
}

// --- run and stop ----------------------------------------------------------------

bool CTessellaDoc::IsIdle() const
{
    if (m_prepareThread.IsRunning()) {
        return false;
    }
    std::lock_guard guard(m_threadsLock);
    return !m_queryThreads.AnyRunning();
}

bool CTessellaDoc::IsWaitingToStart(std::size_t index) const
{
    // In this order: once the preparation has ended, the count of started threads is final.
    const bool starting = m_prepareThread.IsRunning();
    return starting && index >= m_starter.Started();
}

bool CTessellaDoc::HasEnded(std::size_t index) const
{
    // A thread counts as started only once it reads as running.
    return !IsWaitingToStart(index) && !m_queryThreads[index].IsRunning();
}

void CTessellaDoc::StartRun(CSqlTextSource& source, QObject* progressBar)
{
    if (!IsIdle()) {
        return;
    }
    // The last run's record is complete before its threads go.
    ReportRunEnd();
    ApplyPendingResets(Settings());
    m_progressBar = progressBar;
    emit runStarting();
    if (!m_resultsWindow) {
        return;
    }
    TakeLatePosts();
    m_retiredResults = std::make_unique<CResultStore>(std::move(m_results));
    m_results = CResultStore();
    // Here, not in the preparation: the intake reads it on this thread.
    m_resultBudget = std::make_shared<CResultBudget>();
    m_resultBudget->Reset(Settings().resultMemoryLimitMB);
    m_sqlText.clear();
    m_sqlText = source.TakeRunText();
    // Before the preparation starts cutting the text: the listener's copy is gone by then.
    ReportRunStart();
    m_threadsMade.store(false, std::memory_order_release);
    m_prepareThread.Start(false);
}

void CTessellaDoc::ApplyPendingResets(const CRunSettings& settings)
{
    const QStringList resets = std::exchange(m_pendingResets, {});
    for (const QString& dsn : resets) {
        CloseSharedConnections(dsn);
    }
    if (settings.reconnect) {
        CloseSharedConnections();
    }
}

void CTessellaDoc::TakeLatePosts()
{
    // Every thread of the last run has ended, but batches it posted may still
    // wait in the queue; they must be taken before the preparation frees the
    // threads that own them.
    QCoreApplication::sendPostedEvents(m_resultsWindow, CRegisteredEvents::ArrayPost());
}

void CTessellaDoc::StopRun(int wait)
{
    m_stopAsked = m_stopAsked || m_endPending;
    if (m_prepareThread.IsRunning()) {
        m_prepareThread.SignalStop();
    }
    std::vector<CWorkerThread*> threads;
    {
        std::lock_guard guard(m_threadsLock);
        m_queryThreads.SignalStop();
        for (const auto& thread : m_queryThreads) {
            threads.push_back(thread.get());
        }
    }
    if (wait == 0 || IsIdle()) {
        return;
    }
    threads.push_back(&m_prepareThread);
    if (m_closingWaiter) {
        m_closingWaiter(threads);
    } else {
        DefaultWait(threads);
    }
    if (!IsIdle()) {
        AbandonRunningThreads();
    }
}

void CTessellaDoc::AbandonRunningThreads()
{
    // The preparation never waits on a driver, and once it has ended no thread
    // of it is created or started any more.
    m_prepareThread.StopAndWait();
    // Cut first: from here on no thread can take its kept connection out of the
    // map, nor report into this document.
    m_link->Cut();
    m_link = std::make_shared<CDocumentLink>(this);
    std::vector<std::unique_ptr<CQueryThread>> left;
    {
        std::lock_guard guard(m_threadsLock);
        left = m_queryThreads.TakeRunning();
    }
    for (auto& thread : left) {
        std::unique_ptr<CThreadODBC> connection;
        if (const CThreadODBC* kept = thread->KeptConnection()) {
            connection = TakeKeptConnection(thread->Entry().m_dataSource, kept);
        }
        CAbandonedThreads::Keep(std::move(thread), std::move(connection));
    }
    NotifyConnectionsChanged();
}

void CTessellaDoc::DefaultWait(const std::vector<CWorkerThread*>& threads)
{
    // Keeps taking the stopping threads' last batches while waiting.
    auto anyRunning = [&threads] {
        for (const CWorkerThread* thread : threads) {
            if (thread->IsRunning()) {
                return true;
            }
        }
        return false;
    };
    while (anyRunning()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// --- the preparation thread ---------------------------------------------------------

void CTessellaDoc::PrepareRun()
{
    {
        std::lock_guard guard(m_threadsLock);
        if (m_queryThreads.AnyRunning()) {
            return;
        }
    }
    // Deleting a thread object waits for its thread; none runs now.
    {
        std::lock_guard guard(m_threadsLock);
        m_queryThreads.RemoveAll();
    }
    m_starter.Reset();
    m_retiredResults.reset();
    m_claimedThisRun.clear();
    // A list that a thread left behind by a closed run still reads stays with it.
    if (m_batches.use_count() > 1) {
        m_batches = std::make_shared<QStringList>();
    }
    // Looked at before the cut, which consumes the text.
    const QString refusal = NulCharacterRefusal(m_sqlText);
    if (!m_prepareThread.StopRequested() && SplitIntoBatches(m_sqlText)) {
        CreateQueryThreads(refusal);
    }
    m_threadsMade.store(true, std::memory_order_release);
    m_starter.Run(m_prepareThread, Settings().connectionsAtOnce);
}

void CTessellaDoc::CreateQueryThreads(const QString& refusal)
{
    const CRunSettings settings = Settings();
    const bool ignoreInfo = settings.ignoreInfo;
    const QStringList titles = GroupTitles(m_connections);
    for (qsizetype i = 0; i < m_connections.size(); ++i) {
        if (m_prepareThread.StopRequested()) {
            break;
        }
        CConnectionData entry = m_connections[i];
        if (!entry.m_enabled) {
            continue;
        }
        if (entry.m_password.isEmpty()) {
            entry.m_password = m_runPasswords.value({entry.m_dataSource, entry.m_login});
        }
        auto thread = std::make_unique<CQueryThread>(entry, m_batches, this, ignoreInfo);
        thread->SetGroupTitle(titles[i]);
        thread->SetLongTextChars(settings.longTextLimit);
        if (!refusal.isEmpty()) {
            thread->Refuse(refusal);
        }
        std::lock_guard guard(m_threadsLock);
        m_queryThreads.Add(std::move(thread));
    }
}

QStringList CTessellaDoc::GroupTitles(const CConnectionDataArray& entries)
{
    QHash<QString, int> enabledPerSource;
    for (const CConnectionData& entry : entries) {
        if (entry.m_enabled) {
            ++enabledPerSource[entry.m_dataSource];
        }
    }
    // Entries sharing a data source are told apart by their place among those entries (as the
    // connection list shows them) and their login.
    QHash<QString, int> seen;
    QStringList titles;
    for (const CConnectionData& entry : entries) {
        QString title = entry.m_dataSource;
        if (entry.m_enabled && enabledPerSource.value(entry.m_dataSource) > 1) {
            title += u" #"_qs + QString::number(++seen[entry.m_dataSource]);
            // A login that is its own password would show the password.
            if (!entry.m_login.isEmpty() && entry.m_login != entry.m_password) {
                title += u" ("_qs + entry.m_login + u')';
            }
        }
        titles.append(title);
    }
    return titles;
}

QString CTessellaDoc::NulCharacterRefusal(const QString& text)
{
    const qsizetype at = text.indexOf(QChar(u'\0'));
    if (at < 0) {
        return {};
    }
    // A driver takes the statement as ending there and would run only what stands before it.
    const qsizetype lineStart = text.lastIndexOf(u'\n', at) + 1;
    const qsizetype line = QStringView(text).first(at).count(u'\n') + 1;
    return u"The SQL holds a NUL character at line %1, column %2: nothing was run"_qs.arg(line).arg(
        at - lineStart + 1);
}

bool CTessellaDoc::SplitIntoBatches(const QString& text)
{
    CBatchSplitter::Hooks hooks;
    hooks.stopRequested = [this] { return m_prepareThread.StopRequested(); };
    hooks.showCount = [this](int count) { PostToProgress(CRegisteredEvents::SetCtrlNum(), count); };
    hooks.showProgress = [this](bool show) {
        PostToProgress(CRegisteredEvents::DelayShow(), show ? 1 : 0);
    };
    hooks.waitForIdle = [this] { WaitForUserInterface(); };
    const bool ok = CBatchSplitter::Split(text, Settings().EffectiveSeparator(), *m_batches, hooks);
    // The splitting consumes the text; what is left is the last batch.
    m_sqlText = m_batches->isEmpty() ? QString() : m_batches->last();
    return ok;
}

void CTessellaDoc::PostToProgress(QEvent::Type type, qint64 value)
{
    if (!m_progressBar) {
        return;
    }
    // Only the newest number matters.
    CRegisteredEvents::Post(m_progressBar, new CValueEvent(type, value), true);
}

void CTessellaDoc::WaitForUserInterface()
{
    if (!m_progressBar) {
        return;
    }
    auto done = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        m_progressBar, [done] { done->release(); }, Qt::QueuedConnection);
    done->tryAcquire(1, kCatchUpMilliseconds);
}

// --- kept connections -------------------------------------------------------------------

CThreadODBC* CTessellaDoc::GetSharedConnection(const QString& dsn, const QString& login)
{
    if (Settings().reconnect) {
        return nullptr;
    }
    // One connection object is never used by two threads at once: a second
    // entry on the same data source and login connects on its own for this run.
    const KeptKey key{dsn, login};
    if (m_claimedThisRun.contains(key)) {
        return nullptr;
    }
    m_claimedThisRun.insert(key);
    std::lock_guard guard(m_sharedLock);
    auto& kept = m_sharedConnections[key];
    if (!kept) {
        kept = std::make_unique<CThreadODBC>(nullptr);
    }
    return kept.get();
}

std::pair<CTessellaDoc::KeptConnections::const_iterator,
          CTessellaDoc::KeptConnections::const_iterator>
CTessellaDoc::KeptOf(const QString& dsn) const
{
    // Keys order by data source first; the empty login is the least of them.
    auto first = m_sharedConnections.lower_bound(KeptKey{dsn, QString()});
    auto last = first;
    while (last != m_sharedConnections.end() && last->first.first == dsn) {
        ++last;
    }
    return {first, last};
}

bool CTessellaDoc::HasKeptConnection(const QString& dsn) const
{
    std::lock_guard guard(m_sharedLock);
    const auto [first, last] = KeptOf(dsn);
    return first != last;
}

void CTessellaDoc::ResetConnection(const QString& dsn)
{
    if (IsIdle()) {
        CloseSharedConnections(dsn);
    } else if (!m_pendingResets.contains(dsn)) {
        m_pendingResets.append(dsn);
    }
}

std::unique_ptr<CThreadODBC> CTessellaDoc::TakeKeptConnection(const QString& dsn,
                                                              const CThreadODBC* connection)
{
    std::lock_guard guard(m_sharedLock);
    auto it = m_sharedConnections.lower_bound(KeptKey{dsn, QString()});
    for (; it != m_sharedConnections.end() && it->first.first == dsn; ++it) {
        if (it->second.get() == connection) {
            std::unique_ptr<CThreadODBC> taken = std::move(it->second);
            m_sharedConnections.erase(it);
            return taken;
        }
    }
    return nullptr;
}

void CTessellaDoc::DeleteKeptConnection(const QString& dsn)
{
    KeptConnections closing;
    {
        std::lock_guard guard(m_sharedLock);
        auto it = m_sharedConnections.lower_bound(KeptKey{dsn, QString()});
        while (it != m_sharedConnections.end() && it->first.first == dsn) {
            closing.insert(m_sharedConnections.extract(it++));
        }
    }
    closing.clear(); // disconnects, outside the lock
}

void CTessellaDoc::CloseSharedConnections(const QString& dsn)
{
    if (!dsn.isNull()) {
        DeleteKeptConnection(dsn);
        NotifyConnectionsChanged();
        return;
    }
    KeptConnections all;
    {
        std::lock_guard guard(m_sharedLock);
        all.swap(m_sharedConnections);
    }
    all.clear();
    NotifyConnectionsChanged();
}

void CTessellaDoc::SetConnectedState(const QString& dsn, int disconnected)
{
    {
        std::lock_guard guard(m_connectedLock);
        int& open = m_connectedDsns[dsn];
        open = disconnected ? std::max(0, open - 1) : open + 1;
        if (open == 0) {
            m_connectedDsns.remove(dsn);
        }
    }
    NotifyConnectionsChanged();
}

bool CTessellaDoc::IsDataSourceConnected(const QString& dsn, bool keptOnly) const
{
    bool keptConnected = false;
    bool kept = false;
    {
        std::lock_guard guard(m_sharedLock);
        const auto [first, last] = KeptOf(dsn);
        for (auto it = first; it != last; ++it) {
            kept = true;
            keptConnected = keptConnected || it->second->IsConnected();
        }
    }
    if (keptConnected || (keptOnly && kept)) {
        return keptConnected;
    }
    if (keptOnly) {
        return false;
    }
    std::lock_guard guard(m_connectedLock);
    return m_connectedDsns.value(dsn) > 0;
}

void CTessellaDoc::NotifyConnectionsChanged()
{
    if (m_connectionTree) {
        CRegisteredEvents::Post(m_connectionTree, new QEvent(CRegisteredEvents::CheckConnections()),
                                true);
    }
}

// --- results ------------------------------------------------------------------------

bool CTessellaDoc::PostBatch(CPostElemArray* batch)
{
    if (!m_resultsWindow) {
        return false;
    }
    CRegisteredEvents::Post(m_resultsWindow, new CArrayPostEvent(batch));
    return true;
}

CResultStore::IntakeResult CTessellaDoc::IntakeBatch(CPostElemArray& batch)
{
    CResultStore::IntakeResult result{m_results.Count(), 0};
    try {
        result = m_results.Intake(batch);
    } catch (const std::bad_alloc&) {
        // The store is as it was (a new group at most has its title row); the batch's rows
        // are lost, which frees their memory for the threads' last lines.
        m_resultBudget->NoteOutOfMemory();
        batch.RemoveAllElements();
    }
    batch.m_handled.store(1, std::memory_order_release);
    return result;
}

std::optional<CResultStore::IntakeResult> CTessellaDoc::IntakePosted(QEvent* event)
{
    CPostElemArray* batch = CArrayPostEvent::BatchOf(event);
    if (!batch) {
        return std::nullopt;
    }
    return IntakeBatch(*batch);
}

void CTessellaDoc::ReleaseBatch(CPostElemArray& batch)
{
    batch.m_handled.store(1, std::memory_order_release);
}

QString CTessellaDoc::DisplayText(qsizetype row, int column) const
{
    return m_results.At(row).Field(column);
}
