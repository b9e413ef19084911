#pragma once

#include "execution/CRegisteredEvents.h"
#include "execution/CTessellaDoc.h"

#include <QCoreApplication>
#include <QElapsedTimer>

// Processes events until the document is idle and its last batches are taken.
// For test programs that link the run engine.
inline bool WaitUntilIdle(CTessellaDoc& document, int timeoutMs = 60000)
{
    QElapsedTimer clock;
    clock.start();
    while (!document.IsIdle()) {
        if (clock.elapsed() > timeoutMs) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QCoreApplication::sendPostedEvents(nullptr, CRegisteredEvents::ArrayPost());
    return true;
}
