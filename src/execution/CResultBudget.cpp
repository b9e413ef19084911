#include "execution/CResultBudget.h"

#include "execution/CBufferElem.h"

#include <algorithm>

namespace {

// Qt's header of a string's heap block, and the terminating null it always allocates.
constexpr qint64 kStringHeader = 16 + 2;
// The allocator adds its size word to every block and rounds up to 16 bytes, at least 32.
constexpr qint64 kMallocOverhead = 8;
constexpr qint64 kMallocAlign = 16;
constexpr qint64 kMallocMinimum = 32;

qint64 HeapBlock(qint64 requested)
{
    const qint64 rounded = (requested + kMallocOverhead + kMallocAlign - 1) & ~(kMallocAlign - 1);
    return std::max(rounded, kMallocMinimum);
}

} // namespace

void CResultBudget::Reset(qint64 limitMB)
{
    m_limitMB = std::max<qint64>(limitMB, 0);
    m_limitBytes = m_limitMB * 1024 * 1024;
    m_charged.store(0, std::memory_order_relaxed);
    m_state.store(State::Open, std::memory_order_relaxed);
}

qint64 CResultBudget::ElementCost(qsizetype textLength)
{
    // An empty text shares Qt's static empty string.
    const qint64 text = textLength > 0 ? HeapBlock(kStringHeader + 2 * qint64(textLength)) : 0;
    return qint64(sizeof(CBufferElem)) + text;
}

bool CResultBudget::Charge(qsizetype textLength)
{
    if (!IsOpen()) {
        return false;
    }
    if (m_limitBytes == 0) {
        return true;
    }
    const qint64 cost = ElementCost(textLength);
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
