#include "results/CCopyInterruption.h"

#include "execution/CRegisteredEvents.h"

#include <QCoreApplication>

CCopyInterruption::CCopyInterruption()
{
    QCoreApplication::instance()->installEventFilter(this);
}

CCopyInterruption::~CCopyInterruption()
{
    QCoreApplication::instance()->removeEventFilter(this);
    for (const auto& [window, batch] : m_held) {
        CArrayPostEvent event(batch);
        QCoreApplication::sendEvent(window, &event);
    }
}

bool CCopyInterruption::KeyPressed()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return m_keyPressed;
}

bool CCopyInterruption::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        m_keyPressed = true;
        return true;
    }
    if (CPostElemArray* batch = CArrayPostEvent::BatchOf(event)) {
        m_held.emplace_back(watched, batch);
        return true;
    }
    return QObject::eventFilter(watched, event);
}
