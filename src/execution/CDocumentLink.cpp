#include "execution/CDocumentLink.h"

#include "execution/CTessellaDoc.h"
#include "odbc/CThreadODBC.h"

void CDocumentLink::Cut()
{
    std::lock_guard guard(m_lock);
    m_document = nullptr;
}

bool CDocumentLink::PostBatch(CPostElemArray* batch)
{
    std::lock_guard guard(m_lock);
    return m_document && m_document->PostBatch(batch);
}

void CDocumentLink::SetConnectedState(const QString& dsn, int disconnected)
{
    std::lock_guard guard(m_lock);
    if (m_document) {
        m_document->SetConnectedState(dsn, disconnected);
    }
}

void CDocumentLink::NotifyConnectionsChanged()
{
    std::lock_guard guard(m_lock);
    if (m_document) {
        m_document->NotifyConnectionsChanged();
    }
}

std::unique_ptr<CThreadODBC> CDocumentLink::TakeKeptConnection(const QString& dsn,
                                                               const CThreadODBC* connection)
{
    std::lock_guard guard(m_lock);
    return m_document ? m_document->TakeKeptConnection(dsn, connection) : nullptr;
}
