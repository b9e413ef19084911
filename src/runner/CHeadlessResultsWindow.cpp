#include "runner/CHeadlessResultsWindow.h"

#include "execution/CRegisteredEvents.h"
#include "execution/CTessellaDoc.h"

#include <chrono>

qint64 CHeadlessResultsWindow::MonotonicNs()
{
    // The steady clock is CLOCK_MONOTONIC on Linux.
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool CHeadlessResultsWindow::event(QEvent* event)
{
    const bool taken = m_sink ? TakeToSink(event) : m_document.IntakePosted(event).has_value();
    if (!taken) {
        return QObject::event(event);
    }
    m_lastIntakeNs = MonotonicNs();
    return true;
}

bool CHeadlessResultsWindow::TakeToSink(QEvent* event)
{
    CPostElemArray* batch = CArrayPostEvent::BatchOf(event);
    if (!batch) {
        return false;
    }
    // Read where it is, then let go: its thread frees it on the heap it came from.
    m_sink(*batch);
    m_document.ReleaseBatch(*batch);
    return true;
}
