#pragma once

#include "DocumentWaits.h"
#include "execution/CRegisteredEvents.h"
#include "execution/CSqlTextSource.h"
#include "execution/CTessellaDoc.h"

#include <QCoreApplication>
#include <QObject>
#include <QStringList>

#include <vector>

// Takes posted batches into the document, as the results pane does, and notes
// the size of each batch on arrival.
class RecordingResultsWindow : public QObject
{
public:
    explicit RecordingResultsWindow(CTessellaDoc& document) : m_document(document)
    {
        m_document.SetResultsWindow(this);
    }

    bool event(QEvent* event) override
    {
        CRegisteredEvents::Received(event);
        if (event->type() != CRegisteredEvents::ArrayPost()) {
            return QObject::event(event);
        }
        CPostElemArray& batch = *static_cast<CArrayPostEvent*>(event)->Batch();
        batchSizes.push_back({batch.m_connectionName, batch.size()});
        m_document.IntakeBatch(batch);
        return true;
    }

    std::vector<std::pair<QString, qsizetype>> batchSizes;

private:
    CTessellaDoc& m_document;
};

inline bool RunToEnd(CTessellaDoc& document, const QString& sql, int timeoutMs = 60000)
{
    CStringTextSource source(sql);
    document.StartRun(source);
    return WaitUntilIdle(document, timeoutMs);
}

// "kind|text" for every row of the document's results.
inline QStringList ResultLines(const CTessellaDoc& document)
{
    QStringList lines;
    const CResultStore& results = document.Results();
    for (qsizetype row = 0; row < results.Count(); ++row) {
        lines << QString::number(results.At(row).Kind()) + u'|' + results.At(row).Text();
    }
    return lines;
}

inline CConnectionData Entry(const QString& dsn, const QString& user = {},
                             const QString& password = {})
{
    CConnectionData entry;
    entry.m_dataSource = dsn;
    entry.m_login = user;
    entry.m_password = password;
    return entry;
}
