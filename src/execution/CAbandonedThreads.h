#pragma once

#include <cstddef>
#include <memory>

class CQueryThread;
class CThreadODBC;

// Query threads that a closing document left behind because a driver call of theirs
// would not return, each with the kept connection it was using. Nothing here is freed
// while its thread may still run, since the call may return into it at any time; the
// holder itself lives to the end of the process. Threads that have ended since are
// freed at the next Keep. User-interface thread only.
class CAbandonedThreads
{
public:
    // `connection` may be null: the thread connected on one of its own.
    static void Keep(std::unique_ptr<CQueryThread> thread, std::unique_ptr<CThreadODBC> connection);
    // How many of the threads left behind have not ended yet.
    static std::size_t StillRunning();

private:
    static void FreeEnded();
};
