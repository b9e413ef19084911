#pragma once

#include "DocumentWaits.h"

#include "document/CConnectionData.h"
#include "execution/CRegisteredEvents.h"
#include "execution/CTessellaDoc.h"

#include <QCoreApplication>
#include <QStringList>

inline CConnectionData Entry(const QString& dataSource, int enabled = 1)
{
    CConnectionData entry;
    entry.m_dataSource = dataSource;
    entry.m_enabled = enabled;
    return entry;
}

// Processes events until the document is idle and its last batches are taken.
inline bool WaitForIdle(CTessellaDoc& document, int timeoutMs = 30000)
{
    return WaitUntilIdle(document, timeoutMs);
}

// The text of every result row of the document.
inline QStringList ResultTexts(const CTessellaDoc& document)
{
    QStringList texts;
    for (qsizetype row = 0; row < document.Results().Count(); ++row) {
        texts << document.Results().At(row).Text();
    }
    return texts;
}

// A query of `count` rows, numbered from 1.
inline QString RowsSql(qint64 count)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                          "WHERE i < %1) SELECT i FROM n")
        .arg(count);
}
