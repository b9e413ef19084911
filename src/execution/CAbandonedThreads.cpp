#include "execution/CAbandonedThreads.h"

#include "execution/CQueryThread.h"
#include "odbc/CThreadODBC.h"

#include <algorithm>
#include <vector>

namespace {

struct Abandoned
{
    // In this order, so the thread goes first: its destructor joins it, and it
    // used the connection.
    std::unique_ptr<CThreadODBC> connection;
    std::unique_ptr<CQueryThread> thread;
};

std::vector<Abandoned>& Held()
{
    // Never destroyed: at exit a thread may still be inside its driver call.
    static auto* held = new std::vector<Abandoned>;
    return *held;
}

bool CanFree(Abandoned& abandoned)
{
    if (abandoned.thread->IsRunning()) {
        return false;
    }
    // A batch not taken yet may still wait in the event queue of a window.
    abandoned.thread->FreeHandled(false);
    if (abandoned.thread->PostedCount() != 0) {
        return false;
    }
    // Freeing a connection that is still open means a disconnect, on this thread,
    // from a server that was not answering: such a one stays.
    return !abandoned.connection || !abandoned.connection->IsConnected();
}

} // namespace

void CAbandonedThreads::Keep(std::unique_ptr<CQueryThread> thread,
                             std::unique_ptr<CThreadODBC> connection)
{
    FreeEnded();
    Held().push_back({std::move(connection), std::move(thread)});
}

std::size_t CAbandonedThreads::StillRunning()
{
    const auto& held = Held();
    return static_cast<std::size_t>(std::count_if(
        held.begin(), held.end(), [](const Abandoned& a) { return a.thread->IsRunning(); }));
}

void CAbandonedThreads::FreeEnded()
{
    auto& held = Held();
    for (auto it = held.begin(); it != held.end();) {
        it = CanFree(*it) ? held.erase(it) : it + 1;
    }
}
