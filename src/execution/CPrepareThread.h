#pragma once

#include "execution/CQueryThreadStarter.h"
#include "execution/CWorkerThread.h"

class CTessellaDoc;

// Prepares a run of its document: cuts the SQL into batches, creates the query threads and
// starts them, which under "Connections at once" lasts until the last one has started.
class CPrepareThread : public CWorkerThread
{
public:
    CPrepareThread(CTessellaDoc* document, CQueryThreadStarter& starter)
        : m_document(document), m_starter(starter)
    {
    }
    ~CPrepareThread() override { StopAndWait(); }

protected:
    int Work() override;
    // The starter may be waiting for a thread to end.
    void OnStopRequested() override { m_starter.Wake(); }

private:
    CTessellaDoc* m_document;
    CQueryThreadStarter& m_starter;
};
