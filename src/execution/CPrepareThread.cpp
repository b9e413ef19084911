#include "execution/CPrepareThread.h"

#include "execution/CTessellaDoc.h"

int CPrepareThread::Work()
{
    m_document->PrepareRun();
    return 0;
}
