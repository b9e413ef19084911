#include "CQueryThreadArray.h"

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
