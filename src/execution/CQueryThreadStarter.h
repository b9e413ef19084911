#pragma once

#include "execution/CManualResetEvent.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>

class CQueryThreadArray;
class CWorkerThread;

// Starts the query threads of a run in their entries' order, with no more of them running at
// once than "Connections at once" allows: each one that waits starts as soon as another ends.
// A server refuses connections past its own limit, and hundreds of entries at once would also
// mean hundreds of threads and sessions competing for the machine.
class CQueryThreadStarter
{
public:
    // `threads` and `lock` (their membership) are the document's.
    CQueryThreadStarter(CQueryThreadArray& threads, std::mutex& lock)
        : m_threads(threads), m_lock(lock)
    {
    }

    // On `runner` (the run's preparation): starts every thread, at most `limit` running at once
    // (0 for no limit), and returns once the last one has started, or as soon as `runner` is asked
    // to stop: the threads still waiting then never start. A thread that cannot be started says
    // so in its results and counts as ended.
    void Run(const CWorkerThread& runner, int limit);
    // Makes Run look at its runner's stop request again; any thread.
    void Wake() { m_changed->Set(); }
    // How many threads of the run have been started so far; from the start of Run on, any thread.
    std::size_t Started() const { return m_started.load(std::memory_order_acquire); }
    // Before a run's threads are made.
    void Reset() { m_started.store(0, std::memory_order_release); }

private:
    // Starts the thread at `index` unless a stop has come; false after a stop.
    bool StartNext(const CWorkerThread& runner, std::size_t index);
    std::size_t RunningAmongStarted() const;

    CQueryThreadArray& m_threads;
    std::mutex& m_lock;
    // Set by every started thread as it ends, and by Wake.
    std::shared_ptr<CManualResetEvent> m_changed = std::make_shared<CManualResetEvent>();
    std::atomic<std::size_t> m_started{0};
};
