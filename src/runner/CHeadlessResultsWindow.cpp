#include "CHeadlessResultsWindow.h"

#include "CRegisteredEvents.h"
#include "CTessellaDoc.h"

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
    CRegisteredEvents::Received(event);
    if (event->type() == CRegisteredEvents::ArrayPost()) {
        m_document.IntakeBatch(*static_cast<CArrayPostEvent*>(event)->Batch());
        m_lastIntakeNs = MonotonicNs();
        return true;
    }
    return QObject::event(event);
}
