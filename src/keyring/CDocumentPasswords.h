#pragma once

#include "document/CConnectionDataArray.h"

#include <QString>

class CKeyring;

// The passwords of a document's entries that save theirs, kept in the keyring instead of the
// file: each under the document's absolute path, the entry's data source and its login. Only
// entries with a login use the keyring. Where it is unavailable the file keeps the passwords as
// before.
class CDocumentPasswords
{
public:
    explicit CDocumentPasswords(CKeyring& keyring) : m_keyring(keyring) {}

    // The keyring's name for one entry's password in the document at `path`.
    static QString Key(const QString& path, const CConnectionData& entry);

    // What the file at `path` is to hold: the entries, with an empty password where the keyring
    // took it. An entry that saves no password, or an empty one, leaves no secret behind.
    CConnectionDataArray ForFile(const QString& path, const CConnectionDataArray& entries);
    // Gives the entries that save their password and have none in the file the keyring's.
    // Answers how many it gave.
    int FillFromKeyring(const QString& path, CConnectionDataArray& entries);

    // How many passwords the last ForFile left in the file because the keyring is unavailable.
    int KeptInFile() const { return m_keptInFile; }

    static bool UsesKeyring(const CConnectionData& entry);

private:
    CKeyring& m_keyring;
    int m_keptInFile = 0;
};
