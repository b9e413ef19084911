#include "keyring/CDocumentPasswords.h"

#include "document/CDocumentFile.h"
#include "keyring/CKeyring.h"

#include <QFileInfo>

QString CDocumentPasswords::Key(const QString& path, const CConnectionData& entry)
{
    return QStringLiteral("%1 | %2 | %3")
        .arg(QFileInfo(path).absoluteFilePath(), entry.m_dataSource, entry.m_login);
}

CConnectionDataArray CDocumentPasswords::ForFile(const QString& path,
                                                 const CConnectionDataArray& entries)
{
    CConnectionDataArray forFile = entries;
    if (!CDocumentFile::IsDocumentName(path)) {
        return forFile;
    }
    m_keptInFile = 0;
    for (CConnectionData& entry : forFile) {
        if (!UsesKeyring(entry)) {
            continue;
        }
        const QString key = Key(path, entry);
        if (!entry.m_savePassword || entry.m_password.isEmpty()) {
            // What an earlier save left there is no longer wanted.
            m_keyring.Remove(key);
        } else if (m_keyring.Write(key, entry.m_password) == CKeyring::Outcome::Done) {
            // An empty password is a valid field of the file, read back as "ask the keyring".
            entry.m_password.clear();
        } else {
            ++m_keptInFile;
        }
    }
    return forFile;
}

int CDocumentPasswords::FillFromKeyring(const QString& path, CConnectionDataArray& entries)
{
    if (!CDocumentFile::IsDocumentName(path)) {
        return 0;
    }
    int given = 0;
    for (CConnectionData& entry : entries) {
        if (!UsesKeyring(entry) || !entry.m_savePassword || !entry.m_password.isEmpty()) {
            continue;
        }
        QString password;
        if (m_keyring.Read(Key(path, entry), password) == CKeyring::Outcome::Done) {
            entry.m_password = password;
            ++given;
        }
    }
    return given;
}

bool CDocumentPasswords::UsesKeyring(const CConnectionData& entry)
{
    // An entry without a login asks nobody for a password: a document of such entries alone
    // never wakes a keyring, which on some desktops would ask to create one.
    return !entry.m_login.isEmpty();
}
