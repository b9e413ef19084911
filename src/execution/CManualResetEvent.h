#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// An event that stays set until it is reset; waiting on a set event returns at once.
class CManualResetEvent
{
public:
    void Set();
    void Reset();
    bool IsSet() const;
    // True when the event is set now or becomes set within `timeout`.
    bool Wait(std::chrono::milliseconds timeout) const;
    void Wait() const;

private:
    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    bool m_set = false;
};
