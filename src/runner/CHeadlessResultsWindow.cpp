#include "CHeadlessResultsWindow.h"

#include "CRegisteredEvents.h"
#include "CTessellaDoc.h"

#include <time.h>

qint64 CHeadlessResultsWindow::MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
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
