#pragma once

#include "execution/CWorkerThread.h"

class CTessellaDoc;

// Prepares a run of its document: cuts the SQL into batches and creates and
// starts the query threads.
class CPrepareThread : public CWorkerThread
{
public:
    explicit CPrepareThread(CTessellaDoc* document) : m_document(document) {}
    ~CPrepareThread() override { StopAndWait(); }

protected:
    int Work() override;

private:
    CTessellaDoc* m_document;
};
