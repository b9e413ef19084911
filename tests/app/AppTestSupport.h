#pragma once

#include "RecordingMessages.h"
#include "app/CTessellaApp.h"
#include "document/CConnectionData.h"
#include "document/CDocumentFile.h"

#include <QSettings>

using TestApp = RecordingMessages<CTessellaApp>;

// Every test starts from empty settings.
inline void ClearSettings()
{
    QSettings store(QStringLiteral("MarrowindTeam"), QStringLiteral("Tessella"));
    store.clear();
    store.sync();
}

inline bool WriteDocument(const QString& path, const QString& sql,
                          const QStringList& dataSources = {})
{
    CDocumentContent content;
    content.sqlText = sql;
    for (const QString& name : dataSources) {
        CConnectionData entry;
        entry.m_dataSource = name;
        content.connections << entry;
    }
    QString error;
    return CDocumentFile::Save(path, content, error);
}
