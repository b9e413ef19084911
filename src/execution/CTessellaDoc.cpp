#include "CTessellaDoc.h"

#include "CBatchSplitter.h"
#include "CRegisteredEvents.h"
#include "CSqlTextSource.h"
#include "CThreadODBC.h"

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

} // namespace

CTessellaDoc::CTessellaDoc(QObject* parent) : QObject(parent)
{
}

CTessellaDoc::~CTessellaDoc()
{
    // Threads first: a kept connection may only go when no thread can use it.
    m_prepareThread.StopAndWait();
    {
        std::lock_guard guard(m_threadsLock);
        m_queryThreads.SignalStop();
        m_queryThreads.RemoveAll();
    }
    CloseSharedConnections();
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

void CTessellaDoc::StartRun(CSqlTextSource& source, QObject* progressBar)
{
    if (!IsIdle()) {
        return;
    }
    ApplyPendingResets(Settings());
    m_progressBar = progressBar;
    m_listItemCount.Reset();
    emit runStarting();
    if (!m_resultsWindow) {
        return;
    }
    TakeLatePosts();
    m_retiredResults = std::make_unique<CResultStore>(std::move(m_results));
    m_results = CResultStore();
    m_lastScrollCount = 0;
    m_sqlText.clear();
    m_sqlText = source.TakeRunText();
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
    m_retiredResults.reset();
    m_claimedThisRun.clear();
    if (!m_prepareThread.StopRequested() && SplitIntoBatches(m_sqlText)) {
        const CRunSettings settings = Settings();
        const bool ignoreInfo = settings.ignoreInfo;
        m_resultBudget.Reset(settings.resultMemoryLimitMB);
        for (const CConnectionData& entry : m_connections) {
            if (m_prepareThread.StopRequested()) {
                break;
            }
            if (!entry.m_enabled) {
                continue;
            }
            auto thread = std::make_unique<CQueryThread>(entry, &m_batches, this, ignoreInfo);
            std::lock_guard guard(m_threadsLock);
            m_queryThreads.Add(std::move(thread));
        }
    }
    if (!m_prepareThread.StopRequested()) {
        StartQueryThreads();
    }
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
    const bool ok = CBatchSplitter::Split(text, Settings().EffectiveSeparator(), m_batches, hooks);
    // The splitting consumes the text; what is left is the last batch.
    m_sqlText = m_batches.isEmpty() ? QString() : m_batches.last();
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

void CTessellaDoc::StartQueryThreads()
{
    std::lock_guard guard(m_threadsLock);
    for (const auto& thread : m_queryThreads) {
        thread->Start(false);
    }
    // A Stop that came while the threads were being started must reach them.
    if (m_prepareThread.StopRequested()) {
        m_queryThreads.SignalStop();
    }
}

// --- kept connections -------------------------------------------------------------------

CThreadODBC* CTessellaDoc::GetSharedConnection(const QString& dsn)
{
    if (Settings().reconnect) {
        return nullptr;
    }
    // One connection object is never used by two threads at once: a second
    // entry on the same data source connects on its own for this run.
    if (m_claimedThisRun.contains(dsn)) {
        return nullptr;
    }
    m_claimedThisRun.insert(dsn);
    std::lock_guard guard(m_sharedLock);
    auto& kept = m_sharedConnections[dsn];
    if (!kept) {
        kept = std::make_unique<CThreadODBC>(nullptr);
    }
    return kept.get();
}

bool CTessellaDoc::HasKeptConnection(const QString& dsn) const
{
    std::lock_guard guard(m_sharedLock);
    return m_sharedConnections.count(dsn) != 0;
}

void CTessellaDoc::ResetConnection(const QString& dsn)
{
    if (IsIdle()) {
        CloseSharedConnections(dsn);
    } else if (!m_pendingResets.contains(dsn)) {
        m_pendingResets.append(dsn);
    }
}

void CTessellaDoc::DeleteKeptConnection(const QString& dsn)
{
    std::unique_ptr<CThreadODBC> connection;
    {
        std::lock_guard guard(m_sharedLock);
        auto found = m_sharedConnections.find(dsn);
        if (found == m_sharedConnections.end()) {
            return;
        }
        connection = std::move(found->second);
        m_sharedConnections.erase(found);
    }
    connection.reset(); // disconnects
}

void CTessellaDoc::CloseSharedConnections(const QString& dsn)
{
    if (!dsn.isNull()) {
        DeleteKeptConnection(dsn);
        NotifyConnectionsChanged();
        return;
    }
    std::map<QString, std::unique_ptr<CThreadODBC>> all;
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
        auto found = m_sharedConnections.find(dsn);
        if (found != m_sharedConnections.end()) {
            kept = true;
            keptConnected = found->second->IsConnected();
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
        m_resultBudget.NoteOutOfMemory();
        batch.RemoveAllElements();
    }
    batch.m_handled.store(1, std::memory_order_release);
    return result;
}

QStringView CTessellaDoc::DisplayText(qsizetype row, int column) const
{
    return m_results.At(row).GetField(column);
}
