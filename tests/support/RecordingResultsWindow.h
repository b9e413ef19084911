#pragma once

#include "execution/CPostElemArray.h"
#include "execution/CRegisteredEvents.h"
#include "execution/CTessellaDoc.h"

#include <QObject>
#include <QString>

#include <utility>
#include <vector>

// The document's results window in a test without windows: takes posted batches into the
// document, as the results pane does, and notes the connection and size of each batch on
// arrival. A test that takes some batch in its own way overrides TakeIn.
class RecordingResultsWindow : public QObject
{
public:
    explicit RecordingResultsWindow(CTessellaDoc& document) : m_document(document)
    {
        m_document.SetResultsWindow(this);
    }

    bool event(QEvent* event) override
    {
        CPostElemArray* batch = CArrayPostEvent::BatchOf(event);
        if (!batch) {
            return QObject::event(event);
        }
        batchSizes.push_back({batch->m_connectionName, batch->size()});
        TakeIn(*batch);
        return true;
    }

    std::vector<std::pair<QString, qsizetype>> batchSizes;

protected:
    virtual void TakeIn(CPostElemArray& batch) { m_document.IntakeBatch(batch); }

    CTessellaDoc& m_document;
};
