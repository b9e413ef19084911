#pragma once

#include "CConnectionData.h"
#include "CDocumentFile.h"
#include "CTessellaApp.h"
#include "RecordingMessages.h"

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
