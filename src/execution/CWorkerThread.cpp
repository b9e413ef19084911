#include "execution/CWorkerThread.h"

#include <cerrno>
#include <new>
#include <system_error>

namespace {

std::atomic<CWorkerThread::StartProbe> s_startProbe{nullptr};

} // namespace

void CWorkerThread::SetStartProbe(StartProbe probe)
{
    s_startProbe.store(probe);
}

CWorkerThread::~CWorkerThread()
{
    StopAndWait();
}

int CWorkerThread::Start(bool suspended)
{
    if (IsRunning()) {
        StopAndWait();
    }
    Join();
    ResetEvents();
    m_resumeEvent.Reset();
    m_exitCode = 0;
    m_running.store(true, std::memory_order_release);
    m_startError.clear();
    try {
        if (const StartProbe probe = s_startProbe.load()) {
            probe();
        }
        m_thread = std::thread(&CWorkerThread::Body, this);
    } catch (const std::system_error& error) {
        m_startError = error.code().message();
    } catch (const std::bad_alloc&) {
        m_startError = std::system_category().message(ENOMEM);
    }
    if (!m_startError.empty()) {
        m_running.store(false, std::memory_order_release);
        return 0;
    }
    if (!suspended) {
        Resume();
    }
    return 1;
}

void CWorkerThread::Resume()
{
    m_resumeEvent.Set();
}

void CWorkerThread::SignalStop()
{
    m_stopEvent.Set();
    OnStopRequested();
}

void CWorkerThread::StopAndWait()
{
    if (IsRunning()) {
        SignalStop();
        // A thread still held at its start must get past the gate to end.
        m_resumeEvent.Set();
    }
    Join();
}

void CWorkerThread::Join()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) {
        m_thread.join();
    }
}

int CWorkerThread::KeepRunning()
{
    if (m_waitMs == 0) {
        return m_stopEvent.IsSet() ? 0 : 1;
    }
    return m_stopEvent.Wait(std::chrono::milliseconds(m_waitMs)) ? 0 : 1;
}

int CWorkerThread::KeepRunningWithin(int milliseconds)
{
    return m_stopEvent.Wait(std::chrono::milliseconds(milliseconds)) ? 0 : 1;
}

int CWorkerThread::LoopStep()
{
    return KeepRunning();
}

void CWorkerThread::ResetEvents()
{
    m_stopEvent.Reset();
    m_doneEvent.Reset();
}

void CWorkerThread::Body()
{
    m_resumeEvent.Wait();
    OnThreadStart();
    ThreadMain();
    // Only now: a waiter woken by it must find this thread ended.
    if (m_endNotice) {
        m_endNotice->Set();
    }
}

int CWorkerThread::ThreadMain()
{
    if (Work()) {
        RunLoop();
    }
    const int exitCode = m_exitCode;
    OnThreadEnd();
    return exitCode;
}

int CWorkerThread::Work()
{
    return 1;
}

void CWorkerThread::RunLoop()
{
    while (LoopStep()) {
    }
}

void CWorkerThread::OnThreadEnd()
{
    m_running.store(false, std::memory_order_release);
    m_doneEvent.Set();
}
