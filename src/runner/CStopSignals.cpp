#include "runner/CStopSignals.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// Lock-free, so that the handler may store it.
std::atomic<int> s_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);
// The pipe's write end while an instance lives.
std::atomic<int> s_wakeFd{-1};

constexpr char kStandDown = 0;

// False on a time-out (`milliseconds` -1 waits without limit).
bool ReadByte(int fd, int milliseconds, char& byte)
{
    pollfd entry{fd, POLLIN, 0};
    int ready = 0;
    while ((ready = poll(&entry, 1, milliseconds)) < 0 && errno == EINTR) {
    }
    if (ready <= 0) {
        return false;
    }
    while (read(fd, &byte, 1) < 0 && errno == EINTR) {
    }
    return true;
}

} // namespace

CStopSignals::CStopSignals(std::chrono::milliseconds deadline) : m_deadline(deadline)
{
    s_signal.store(0);
    if (pipe2(m_pipe, O_CLOEXEC) == 0) {
        // The handler must never block on a full pipe; one byte already waiting is enough.
        fcntl(m_pipe[1], F_SETFL, O_NONBLOCK);
        s_wakeFd.store(m_pipe[1]);
        m_watchdog = std::thread(&CStopSignals::Watch, this);
    }
    struct sigaction action = {};
    action.sa_handler = &CStopSignals::OnSignal;
    sigemptyset(&action.sa_mask);
    // A driver's read or write that the signal lands in carries on as if nothing happened.
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &action, &m_previous[i]);
    }
}

CStopSignals::~CStopSignals()
{
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], &m_previous[i], nullptr);
    }
    StandDown();
    if (m_watchdog.joinable()) {
        m_watchdog.join();
    }
    s_wakeFd.store(-1);
    for (int fd : m_pipe) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

int CStopSignals::Received()
{
    return s_signal.load();
}

void CStopSignals::StandDown()
{
    if (m_pipe[1] >= 0) {
        const char byte = kStandDown;
        (void)!write(m_pipe[1], &byte, 1);
    }
}

void CStopSignals::OnSignal(int signal)
{
    // Only async-signal-safe steps: an atomic store and a write to a non-blocking pipe.
    const int savedErrno = errno;
    int none = 0;
    s_signal.compare_exchange_strong(none, signal);
    const int fd = s_wakeFd.load();
    if (fd >= 0) {
        const char byte = static_cast<char>(signal);
        (void)!write(fd, &byte, 1);
    }
    errno = savedErrno;
}

void CStopSignals::Watch()
{
    char byte = kStandDown;
    if (!ReadByte(m_pipe[0], -1, byte) || byte == kStandDown) {
        return;
    }
    // Later signals do not move the deadline.
    const auto until = std::chrono::steady_clock::now() + m_deadline;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        if (ReadByte(m_pipe[0], int(left.count()), byte) && byte == kStandDown) {
            return;
        }
    }
    // The loop is stuck (the threads' destructors would wait for a driver call that never
    // returns): what it has written is flushed, the rest cannot be had.
    _exit(ExitCode(Received()));
}
