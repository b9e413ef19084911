#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <atomic>

// How much result memory one run may hold, shared by the run's query threads. Each element is
// charged where a query thread creates it, by an estimate of what the result store will hold
// for it; once the limit is reached, or an allocation for the results failed, the budget is
// closed and every thread of the run stops fetching. One relaxed atomic add an element, no lock.
class CResultBudget
{
public:
    enum class State
    {
        Open,
        LimitReached,
        OutOfMemory,
    };

    // For a new run, before its threads exist. `limitMB` 0: no limit.
    void Reset(qint64 limitMB);

    // Charges one element of this text; false (and nothing should be kept) once
    // the budget is closed, this element included when it would go beyond the limit.
    // `extraBytes`: what the store keeps beside the text (a row's value marks).
    bool Charge(QStringView text, qint64 extraBytes = 0);
    // An allocation for the results failed somewhere: closes the budget.
    void NoteOutOfMemory();

    State GetState() const { return m_state.load(std::memory_order_relaxed); }
    bool IsOpen() const { return GetState() == State::Open; }
    qint64 LimitMB() const { return m_limitMB; }
    // Bytes charged so far (elements refused after the limit was reached included).
    qint64 Charged() const { return m_charged.load(std::memory_order_relaxed); }
    // The error line a thread adds when the closed budget cut its work short.
    QString StopMessage() const;

    // What the store holds for an element of this text (packed, see CPackedRows).
    static qint64 ElementCost(QStringView text);

private:
    void Close(State reason);

    qint64 m_limitMB = 0;
    qint64 m_limitBytes = 0;
    std::atomic<qint64> m_charged{0};
    std::atomic<State> m_state{State::Open};
};
