#pragma once

#include "execution/CQueryThread.h"

#include <memory>
#include <vector>

// The query threads of one run; owns them. Destroying it stops every thread and
// waits for each before its buffers are freed.
class CQueryThreadArray
{
public:
    CQueryThreadArray() = default;
    CQueryThreadArray(const CQueryThreadArray&) = delete;
    CQueryThreadArray& operator=(const CQueryThreadArray&) = delete;
    ~CQueryThreadArray();

    void Add(std::unique_ptr<CQueryThread> thread) { m_threads.push_back(std::move(thread)); }
    // Sets the stop event of every running thread.
    void SignalStop();
    // Deletes every thread, each after its thread has ended.
    void RemoveAll() { m_threads.clear(); }
    bool AnyRunning() const;
    // Takes the threads that are running out of the array, in order.
    std::vector<std::unique_ptr<CQueryThread>> TakeRunning();

    std::size_t size() const { return m_threads.size(); }
    CQueryThread& operator[](std::size_t index) const { return *m_threads[index]; }
    auto begin() const { return m_threads.begin(); }
    auto end() const { return m_threads.end(); }

private:
    std::vector<std::unique_ptr<CQueryThread>> m_threads;
};
