#include "execution/CResultBudget.h"

#include "execution/CPackedRows.h"

#include <algorithm>

void CResultBudget::Reset(qint64 limitMB)
{
    m_limitMB = std::max<qint64>(limitMB, 0);
    m_limitBytes = m_limitMB * 1024 * 1024;
    m_charged.store(0, std::memory_order_relaxed);
    m_state.store(State::Open, std::memory_order_relaxed);
}

qint64 CResultBudget::ElementCost(QStringView text)
{
    return CPackedRows::HeldBytes(text);
}

bool CResultBudget::Charge(QStringView text, qint64 extraBytes)
{
    if (!IsOpen()) {
        return false;
    }
    if (m_limitBytes == 0) {
        return true;
    }
    const qint64 cost = ElementCost(text) + extraBytes;
    // Threads that race past the limit each lose their own element: the store never holds
    // more than the limit.
    if (m_charged.fetch_add(cost, std::memory_order_relaxed) + cost > m_limitBytes) {
        Close(State::LimitReached);
        return false;
    }
    return true;
}

void CResultBudget::NoteOutOfMemory()
{
    Close(State::OutOfMemory);
}

void CResultBudget::Close(State reason)
{
    // The first reason stays: a thread that runs out of memory after the limit was reached
    // still tells of the limit.
    State open = State::Open;
    m_state.compare_exchange_strong(open, reason, std::memory_order_relaxed);
}

QString CResultBudget::StopMessage() const
{
    if (GetState() == State::OutOfMemory) {
        return QStringLiteral("Out of memory: the rest of this result was not fetched");
    }
    return QStringLiteral("Result memory limit of %1 MB reached: the rest of this result was not "
                          "fetched")
        .arg(m_limitMB);
}
