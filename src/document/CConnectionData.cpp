#include "document/CConnectionData.h"

#include "document/CArchive.h"

void CConnectionData::Serialize(CArchive& archive)
{
    if (archive.IsStoring()) {
        archive.WriteString(m_dataSource);
        archive.WriteString(m_login);
        archive.WriteString(m_savePassword != 0 ? m_password : QString());
        archive.WriteInt32(m_savePassword);
        archive.WriteInt32(m_timeOut);
        archive.WriteInt32(m_enabled);
        return;
    }
    m_dataSource = archive.ReadString();
    m_login = archive.ReadString();
    m_password = archive.ReadString();
    m_savePassword = archive.ReadInt32();
    m_timeOut = archive.ReadInt32();
    m_enabled = archive.ReadInt32();
}
