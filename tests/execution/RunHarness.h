#pragma once

#include "DocumentWaits.h"
#include "RecordingResultsWindow.h"
#include "execution/CSqlTextSource.h"
#include "execution/CTessellaDoc.h"

#include <QStringList>

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
