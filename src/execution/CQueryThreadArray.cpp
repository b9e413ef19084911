#include "execution/CQueryThreadArray.h"

CQueryThreadArray::~CQueryThreadArray()
{
    SignalStop();
    m_threads.clear();
}

void CQueryThreadArray::SignalStop()
{
    for (const auto& thread : m_threads) {
        if (thread->IsRunning()) {
            thread->SignalStop();
        }
    }
}

bool CQueryThreadArray::AnyRunning() const
{
    for (const auto& thread : m_threads) {
        if (thread->IsRunning()) {
            return true;
        }
    }
    return false;
}

std::vector<std::unique_ptr<CQueryThread>> CQueryThreadArray::TakeRunning()
{
    std::vector<std::unique_ptr<CQueryThread>> running;
    std::vector<std::unique_ptr<CQueryThread>> rest;
    for (auto& thread : m_threads) {
        (thread->IsRunning() ? running : rest).push_back(std::move(thread));
    }
    m_threads = std::move(rest);
    return running;
}
