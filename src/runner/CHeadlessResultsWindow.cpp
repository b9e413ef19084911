#include "CHeadlessResultsWindow.h"

#include "CRegisteredEvents.h"
#include "CTessellaDoc.h"

bool CHeadlessResultsWindow::event(QEvent* event)
{
    CRegisteredEvents::Received(event);
    if (event->type() == CRegisteredEvents::ArrayPost()) {
        m_document.IntakeBatch(*static_cast<CArrayPostEvent*>(event)->Batch());
        return true;
    }
    return QObject::event(event);
}
