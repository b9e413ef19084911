#include "CPrepareThread.h"

#include "CTessellaDoc.h"

int CPrepareThread::Work()
{
    m_document->PrepareRun();
    return 0;
}
