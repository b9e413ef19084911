#include "execution/CManualResetEvent.h"

void CManualResetEvent::Set()
{
    {
        std::lock_guard guard(m_lock);
        m_set = true;
    }
    m_changed.notify_all();
}

void CManualResetEvent::Reset()
{
    std::lock_guard guard(m_lock);
    m_set = false;
}

bool CManualResetEvent::IsSet() const
{
    std::lock_guard guard(m_lock);
    return m_set;
}

bool CManualResetEvent::Wait(std::chrono::milliseconds timeout) const
{
    std::unique_lock guard(m_lock);
    return m_changed.wait_for(guard, timeout, [this] { return m_set; });
}

void CManualResetEvent::Wait() const
{
    std::unique_lock guard(m_lock);
    m_changed.wait(guard, [this] { return m_set; });
}
