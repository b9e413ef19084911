#pragma once

#include <QString>

class CArchive;

// One connection of a query document: which data source to use and how to log on to it.
class CConnectionData
{
public:
    QString m_dataSource;
    QString m_login;
    // Kept in memory as typed; the file gets it only while m_savePassword is nonzero.
    QString m_password;
    qint32 m_savePassword = 1;
    qint32 m_timeOut = 30; // seconds, for both login and connection
    qint32 m_enabled = 1;

    // Writes or reads the six fields in file order. Loading throws CArchiveException on a
    // truncated or malformed entry and may leave this entry partly read.
    void Serialize(CArchive& archive);

    // True when the file written for this entry would hold a password.
    bool StoresPassword() const { return m_savePassword != 0 && !m_password.isEmpty(); }

    bool operator==(const CConnectionData& other) const = default;
};
