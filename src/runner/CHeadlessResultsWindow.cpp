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
    CRegisteredEvents::Received(event);
    if (event->type() == CRegisteredEvents::ArrayPost()) {
        CPostElemArray& batch = *static_cast<CArrayPostEvent*>(event)->Batch();
        if (m_sink) {
            m_sink(batch.m_connectionName, batch.All());
            m_document.ReleaseBatch(batch);
        } else {
            m_document.IntakeBatch(batch);
        }
        m_lastIntakeNs = MonotonicNs();
        return true;
    }
    return QObject::event(event);
}
