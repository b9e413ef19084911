#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// One thread that makes every driver call of one connection, for as long as
// the connection lives. Some drivers tie a connection's lock to the thread
// that took it and, after some statements, leave it taken when the call
// returns: any other thread that then touches the connection waits for good.
// Calls made from this one thread always pass.
class COdbcCallThread
{
public:
    COdbcCallThread();
    // Waits for the call under way, then ends the thread.
    ~COdbcCallThread();
    COdbcCallThread(const COdbcCallThread&) = delete;
    COdbcCallThread& operator=(const COdbcCallThread&) = delete;

    // Runs `calls` on the thread and returns when they are done; at once when
    // already on it. Callers from several threads take turns.
    void Run(const std::function<void()>& calls);
    bool IsCurrent() const { return std::this_thread::get_id() == m_thread.get_id(); }

private:
    void Serve();

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::mutex m_turn; // one caller's calls at a time
    const std::function<void()>* m_calls = nullptr;
    bool m_done = false;
    bool m_quit = false;
    std::thread m_thread;
};
