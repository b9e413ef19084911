#pragma once

#include "document/CConnectionDataArray.h"
#include "execution/CPrepareThread.h"
#include "execution/CQueryThreadArray.h"
#include "execution/CResultBudget.h"
#include "execution/CResultStore.h"
#include "execution/CRunListener.h"
#include "execution/CRunSettings.h"

#include <QEvent>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

class CDocumentLink;
class CSqlTextSource;
class CThreadODBC;
class CWorkerThread;

// A query document: its connection entries and everything a run of its SQL
// needs — the batches, the preparation thread, one query thread per enabled
// entry, the connections kept open between runs and the merged results. Under
// "Connections at once" the preparation lasts until the last entry's thread has
// started: the run is not idle while entries wait for their turn.
//
// Run, Stop, the result intake and the display data are called on the
// user-interface thread; PrepareRun and SplitIntoBatches on the preparation
// thread; SetConnectedState and GetSharedConnection on worker threads, and
// CloseSharedConnections(dsn) by a query thread dropping its own kept
// connection after the link to the server was lost.
class CTessellaDoc : public QObject
{
    Q_OBJECT

public:
    explicit CTessellaDoc(QObject* parent = nullptr);
    // Closes the kept connections, then stops and waits for every thread.
    ~CTessellaDoc() override;

    CConnectionDataArray m_connections;

    // --- the windows a run talks to (all may be null) -------------------------
    // Receives every WM_ARRAY_POST of a run; without it there is no run.
    void SetResultsWindow(QObject* window) { m_resultsWindow = window; }
    QObject* ResultsWindow() const { return m_resultsWindow; }
    // Receives WM_CHECKCONNECTIONS.
    void SetConnectionTree(QObject* tree) { m_connectionTree = tree; }

    // Query threads run at the lowest priority so that a window stays responsive
    // while rows stream in; a program without a window may turn that off.
    void SetLowPriorityThreads(bool low) { m_lowPriorityThreads = low; }
    bool LowPriorityThreads() const { return m_lowPriorityThreads; }

    // Told where each run begins and ends (the history of runs); none by default. Set while idle.
    void SetRunListener(std::shared_ptr<CRunListener> listener);
    // Tells the listener that the run it was told of has ended, once the run is idle; false when
    // there is nothing to tell yet. The document looks by itself every so often; who follows a
    // run closely (the runner) asks at once.
    bool ReportRunEnd();

    // --- settings -----------------------------------------------------------
    // Replaces the stored settings for this document's runs (the command-line runner).
    void SetSettingsOverride(std::optional<CRunSettings> settings);
    CRunSettings Settings() const;

    // --- run and stop -----------------------------------------------------------
    // Starts a run of the source's text on every enabled entry; ignored while
    // anything of this document runs. `progressBar` receives WM_SETCTRL_NUM and
    // WM_DELAYSHOW while the text is split.
    void StartRun(CSqlTextSource& source, QObject* progressBar = nullptr);
    // Passwords for the runs to come, by data source and login, for the entries that hold none
    // (asked for at Run, or given to the runner); the entries themselves stay as they are, so
    // nothing of these reaches a file. Set while idle.
    void SetRunPasswords(QHash<std::pair<QString, QString>, QString> passwords)
    {
        m_runPasswords = std::move(passwords);
    }
    // Asks every thread to stop (entries still waiting for their turn never start; like a thread
    // stopped before its first row, they show nothing); with wait 1, returns when all have ended,
    // or when the closing waiter returns before that: the user chose to leave the threads that
    // would not end behind (see AbandonRunningThreads).
    void StopRun(int wait);
    bool IsIdle() const;
    // The run's threads are being made; QueryThreads() stays as it is once this is false.
    bool IsPreparing() const
    {
        return m_prepareThread.IsRunning() && !m_threadsMade.load(std::memory_order_acquire);
    }
    // The query thread at `index` of QueryThreads() waits for its turn under "Connections at
    // once". Any thread, once IsPreparing() is false.
    bool IsWaitingToStart(std::size_t index) const;
    // That thread has ended, or a stop came before its turn and it never will start.
    bool HasEnded(std::size_t index) const;
    bool CanRun() const { return !m_connections.isEmpty() && IsIdle(); }
    bool CanStop() const { return !IsIdle(); }
    // How StopRun(1) waits for the threads (the application shows its closing
    // window); by default the events of this thread are processed meanwhile.
    using ThreadWaiter = std::function<void(const std::vector<CWorkerThread*>&)>;
    void SetClosingWaiter(ThreadWaiter waiter) { m_closingWaiter = std::move(waiter); }
    // Gives up the query threads that still run, stuck in a driver call that does
    // not return, together with the kept connections they use: they go to
    // CAbandonedThreads, and nothing they report reaches this document any more.
    // The document is idle afterwards as soon as its preparation has ended.
    void AbandonRunningThreads();

    // --- the preparation thread's work --------------------------------------------
    void PrepareRun();
    bool SplitIntoBatches(const QString& text);

    // --- kept connections -----------------------------------------------------------
    // The kept connection for `dsn` and `login`, created unconnected on first use; none when
    // "Reconnect every run" is on, or when another thread of this run has it. Each login keeps
    // its own: an entry never runs on a session another entry's login opened.
    CThreadODBC* GetSharedConnection(const QString& dsn, const QString& login = QString());
    // Takes the kept connection `connection` of `dsn` out of the document.
    std::unique_ptr<CThreadODBC> TakeKeptConnection(const QString& dsn,
                                                    const CThreadODBC* connection);
    // Closes the kept connection now when idle, else at the next Run.
    void ResetConnection(const QString& dsn);
    // Closes and deletes the kept connections of one data source, or all when `dsn` is null.
    void CloseSharedConnections(const QString& dsn = QString());
    bool HasKeptConnection(const QString& dsn) const;
    // A query thread connected (0) or disconnected (1) a connection of its own.
    void SetConnectedState(const QString& dsn, int disconnected);
    bool IsDataSourceConnected(const QString& dsn, bool keptOnly) const;
    // Tells the connection tree to look again.
    void NotifyConnectionsChanged();
    QStringList PendingResets() const { return m_pendingResets; }

    // --- results ------------------------------------------------------------------
    // Query threads: posts a batch to the results window; false when there is none.
    bool PostBatch(CPostElemArray* batch);
    // What the query threads of a run report through; shared with them.
    std::shared_ptr<CDocumentLink> Link() const { return m_link; }
    // Results window: takes a posted batch's elements and marks it handled. When memory runs
    // out meanwhile, the batch's elements are dropped and the run stops fetching (never throws).
    CResultStore::IntakeResult IntakeBatch(CPostElemArray& batch);
    // Results window: takes the batch of a WM_ARRAY_POST in, as IntakeBatch does; nothing for an
    // event of any other type.
    std::optional<CResultStore::IntakeResult> IntakePosted(QEvent* event);
    // A results window that keeps no result list (the command-line runner writes rows as they
    // come) reads a posted batch where it is, then lets it go: marked handled, the batch may be
    // gone, and the texts its elements borrow from it with it (CPostElemArray::AddText). Its thread
    // frees it, elements and all, on the heap they came from: freed on this thread, every row would
    // wait for the allocator's lock that the fetching thread holds.
    void ReleaseBatch(CPostElemArray& batch);
    // The results' memory of the run under way, shared by its query threads (a thread left
    // behind by a closed document keeps its own).
    CResultBudget& ResultBudget() { return *m_resultBudget; }
    const CResultBudget& ResultBudget() const { return *m_resultBudget; }
    std::shared_ptr<CResultBudget> SharedResultBudget() const { return m_resultBudget; }
    const CResultStore& Results() const { return m_results; }
    // Display data of the result list: a row's kind (its icon), field count and cell text.
    int DisplayKind(qsizetype row) const { return m_results.At(row).Kind(); }
    int FieldCount(qsizetype row) const { return m_results.At(row).FieldCount(); }
    QString DisplayText(qsizetype row, int column) const;

    // Each entry's group title, in the order of `entries` (disabled ones too): its data source,
    // with its place among them and its login where enabled entries share one.
    static QStringList GroupTitles(const CConnectionDataArray& entries);

    const QStringList& Batches() const { return *m_batches; }
    const CQueryThreadArray& QueryThreads() const { return m_queryThreads; }

signals:
    // Before a run begins, on the user-interface thread: the result list must
    // stop asking for the old rows (its count goes to 0).
    void runStarting();

private:
    void CreateQueryThreads(const QString& refusal);
    // Why the text must not be sent at all; empty when it may.
    static QString NulCharacterRefusal(const QString& text);
    void ApplyPendingResets(const CRunSettings& settings);
    void TakeLatePosts();
    void PostToProgress(QEvent::Type type, qint64 value);
    void WaitForUserInterface();
    void DefaultWait(const std::vector<CWorkerThread*>& threads);
    void DeleteKeptConnection(const QString& dsn);
    void ReportRunStart();
    CRunListener::End RunOutcome() const;

    CResultStore m_results;
    // A new one for each run, made by its preparation before its threads exist.
    std::shared_ptr<CResultBudget> m_resultBudget = std::make_shared<CResultBudget>();
    // The last run's results, taken off the list at Run and deleted by the
    // preparation thread, so the user interface never waits for that.
    std::unique_ptr<CResultStore> m_retiredResults;
    using KeptKey = std::pair<QString, QString>; // data source, login
    using KeptConnections = std::map<KeptKey, std::unique_ptr<CThreadODBC>>;
    // The kept connections of one data source: [first, second).
    std::pair<KeptConnections::const_iterator, KeptConnections::const_iterator>
    KeptOf(const QString& dsn) const;
    KeptConnections m_sharedConnections;
    QSet<KeptKey> m_claimedThisRun; // kept connections given to a thread of this run
    QHash<KeptKey, QString> m_runPasswords;
    QStringList m_pendingResets;
    CQueryThreadArray m_queryThreads;
    mutable std::mutex m_threadsLock; // m_queryThreads' membership, shared with StopRun
    CQueryThreadStarter m_starter{m_queryThreads, m_threadsLock};
    CPrepareThread m_prepareThread{this, m_starter};
    std::atomic<bool> m_threadsMade{false}; // this run's query threads are all created
    // Shared with the query threads, which read it while they run.
    std::shared_ptr<QStringList> m_batches = std::make_shared<QStringList>();
    QString m_sqlText;
    mutable std::mutex m_connectedLock;
    QHash<QString, int> m_connectedDsns; // own connections open per data source
    mutable std::mutex m_sharedLock;     // m_sharedConnections' membership

    // Set while idle and read by the threads of a run; they outlive every run.
    QObject* m_resultsWindow = nullptr;
    QObject* m_connectionTree = nullptr;
    QObject* m_progressBar = nullptr;
    std::optional<CRunSettings> m_settingsOverride;
    bool m_lowPriorityThreads = true;
    ThreadWaiter m_closingWaiter;
    std::shared_ptr<CDocumentLink> m_link;
    std::shared_ptr<CRunListener> m_runListener;
    bool m_endPending = false; // the listener knows of a run whose end it has not been told
    bool m_stopAsked = false;  // during that run
    QTimer m_endWatch;
};
