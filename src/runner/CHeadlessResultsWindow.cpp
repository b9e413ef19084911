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
            // Copied first: once taken, the batch is its thread's to delete.
            const QString connection = batch.m_connectionName;
            m_sink(connection, m_document.TakeBatch(batch));
        } else {
            m_document.IntakeBatch(batch);
        }
        m_lastIntakeNs = MonotonicNs();
        return true;
    }
    return QObject::event(event);
}
