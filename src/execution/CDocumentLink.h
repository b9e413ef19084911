#pragma once

#include <QString>

#include <memory>
#include <mutex>

class CPostElemArray;
class CTessellaDoc;
class CThreadODBC;

// The way back from a query thread to its document. The document and each of its
// query threads hold it together, so it outlives both; the document cuts it when it
// leaves a thread behind, and from then on everything the thread reports is dropped
// here instead of reaching a document that may be gone.
class CDocumentLink
{
public:
    explicit CDocumentLink(CTessellaDoc* document) : m_document(document) {}
    CDocumentLink(const CDocumentLink&) = delete;
    CDocumentLink& operator=(const CDocumentLink&) = delete;

    // Waits for a report under way; none reaches the document afterwards.
    void Cut();

    // False when nothing took the batch: no results window, or the link is cut.
    bool PostBatch(CPostElemArray* batch);
    void SetConnectedState(const QString& dsn, int disconnected);
    void NotifyConnectionsChanged();
    // Takes the document's kept connection for `dsn` when it is still `connection`;
    // the caller frees it, outside every lock, for its disconnect may take long.
    std::unique_ptr<CThreadODBC> TakeKeptConnection(const QString& dsn,
                                                    const CThreadODBC* connection);

private:
    std::mutex m_lock;
    CTessellaDoc* m_document;
};
