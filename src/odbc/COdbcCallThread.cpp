#include "odbc/COdbcCallThread.h"

COdbcCallThread::COdbcCallThread() : m_thread([this] { Serve(); })
{
}

COdbcCallThread::~COdbcCallThread()
{
    {
        std::lock_guard guard(m_lock);
        m_quit = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void COdbcCallThread::Run(const std::function<void()>& calls)
{
    if (IsCurrent()) {
        calls();
        return;
    }
    std::lock_guard turn(m_turn);
    std::unique_lock guard(m_lock);
    m_calls = &calls;
    m_done = false;
    m_changed.notify_all();
    m_changed.wait(guard, [this] { return m_done; });
}

void COdbcCallThread::Serve()
{
    std::unique_lock guard(m_lock);
    for (;;) {
        m_changed.wait(guard, [this] { return m_quit || m_calls != nullptr; });
        if (m_calls == nullptr) {
            return;
        }
        const std::function<void()>* calls = m_calls;
        guard.unlock();
        (*calls)();
        guard.lock();
        m_calls = nullptr;
        m_done = true;
        m_changed.notify_all();
    }
}
