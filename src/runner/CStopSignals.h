#pragma once

#include <chrono>
#include <csignal>
#include <thread>

// Turns Ctrl+C (SIGINT), SIGTERM and SIGHUP into a request that the runner's loop reads, and
// guarantees the exit that the request promises: a loop that is itself held up (a driver call
// that blocks the stop, say) is ended by a watchdog a fixed time after the signal, with the exit
// code the signal asks for. One instance at a time; the previous handlers are back once it goes.
class CStopSignals
{
public:
    // `deadline`: how long after the first signal the watchdog waits for the loop.
    explicit CStopSignals(std::chrono::milliseconds deadline);
    ~CStopSignals();
    CStopSignals(const CStopSignals&) = delete;
    CStopSignals& operator=(const CStopSignals&) = delete;

    // The first of the signals that came; 0 while none has.
    static int Received();
    // 128 + the signal, as a shell reports a process that the signal ended.
    static int ExitCode(int signal) { return 128 + signal; }

    // The loop has reached the writing of what it has: that is no longer cut short.
    void StandDown();

private:
    static void OnSignal(int signal);
    void Watch();

    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

    std::chrono::milliseconds m_deadline;
    int m_pipe[2] = {-1, -1}; // the handler's wake-up byte, or the stand-down byte
    struct sigaction m_previous[std::size(kSignals)] = {};
    std::thread m_watchdog;
};
