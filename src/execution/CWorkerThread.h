#pragma once

#include "execution/CManualResetEvent.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>

// A thread object with a stop event and a done event. Start creates the
// thread (optionally held until Resume); its body runs Work, then RunLoop when
// Work asks for it, then OnThreadEnd. The object reads as running from Start
// until the body's last step.
class CWorkerThread
{
public:
    CWorkerThread() = default;
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;
    // Stops the thread and waits for it, without limit.
    virtual ~CWorkerThread();

    // Nonzero on success. A running thread is stopped and waited for first.
    // When the system cannot give a thread (threads or memory run out), 0, and
    // StartError() says why.
    virtual int Start(bool suspended = false);
    // Why the last Start failed; empty after one that succeeded.
    const std::string& StartError() const { return m_startError; }
    // Lets a thread started suspended begin its work.
    void Resume();
    // Asks the thread to stop and waits until it has ended.
    void StopAndWait();
    // Asks the thread to stop; it notices at its next check.
    void SignalStop();

    bool IsRunning() const { return m_running.load(std::memory_order_acquire); }
    bool StopRequested() const { return m_stopEvent.IsSet(); }
    // 0 once a stop has been asked for (waiting up to m_waitMs for one), 1 otherwise.
    virtual int KeepRunning();
    // Like KeepRunning, but waits up to `milliseconds` for a stop request first.
    int KeepRunningWithin(int milliseconds);
    // Waits until the thread has ended; true when it has within `timeout`.
    bool WaitDone(std::chrono::milliseconds timeout) const { return m_doneEvent.Wait(timeout); }
    // An event that the thread sets as its very last step, once it reads as ended: one event
    // shared by several threads wakes whoever waits for the first of them to end. Set before
    // Start; it lives as long as the thread needs it, also past its owner.
    void SetEndNotice(std::shared_ptr<CManualResetEvent> notice)
    {
        m_endNotice = std::move(notice);
    }

    // Called by every Start just before the thread is created; what it throws
    // counts as the creation's own failure. Lets tests make the system run out
    // of threads for chosen starts. None by default.
    using StartProbe = void (*)();
    static void SetStartProbe(StartProbe probe);

protected:
    virtual int LoopStep();
    virtual void ResetEvents();
    virtual int ThreadMain();
    // The thread's job; nonzero asks for RunLoop afterwards.
    virtual int Work();
    virtual void RunLoop();
    virtual void OnThreadEnd();
    // First thing on the new thread, before Work: priorities and the like.
    virtual void OnThreadStart() {}
    // Right after a stop request, on the requesting thread: a chance to wake a
    // thread that is blocked where it cannot check.
    virtual void OnStopRequested() {}

    unsigned m_waitMs = 0;
    int m_exitCode = 0;

private:
    void Body();
    void Join();

    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::string m_startError;
    CManualResetEvent m_resumeEvent;
    CManualResetEvent m_stopEvent;
    CManualResetEvent m_doneEvent;
    std::shared_ptr<CManualResetEvent> m_endNotice;
};
