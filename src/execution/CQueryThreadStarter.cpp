#include "execution/CQueryThreadStarter.h"

#include "execution/CQueryThreadArray.h"

void CQueryThreadStarter::Run(const CWorkerThread& runner, int limit)
{
    std::size_t count = 0;
    {
        std::lock_guard guard(m_lock);
        count = m_threads.size();
    }
    for (std::size_t next = 0; next < count;) {
        // Reset before looking: a thread that ends after the look sets it again.
        m_changed->Reset();
        if (runner.StopRequested()) {
            return;
        }
        if (limit > 0 && RunningAmongStarted() >= std::size_t(limit)) {
            m_changed->Wait();
            continue;
        }
        if (!StartNext(runner, next)) {
            return;
        }
        m_started.store(++next, std::memory_order_release);
    }
}

bool CQueryThreadStarter::StartNext(const CWorkerThread& runner, std::size_t index)
{
    // Under the lock, and only while no stop has come: a Stop takes the lock after asking the
    // runner to stop, so a thread started here is one that the Stop reaches.
    std::lock_guard guard(m_lock);
    if (runner.StopRequested()) {
        return false;
    }
    CQueryThread& thread = m_threads[index];
    thread.SetEndNotice(m_changed);
    if (!thread.Start(false)) {
        thread.ReportStartFailure();
    }
    return true;
}

std::size_t CQueryThreadStarter::RunningAmongStarted() const
{
    std::lock_guard guard(m_lock);
    std::size_t running = 0;
    for (std::size_t i = 0; i < Started(); ++i) {
        running += m_threads[i].IsRunning() ? 1 : 0;
    }
    return running;
}
