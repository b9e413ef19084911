// The passwords of documents in a keyring: tests run against a Secret Service of their own
// (with-private-keyring.sh), or, for the "Missing" cases, with a session bus that is not there.

#include "document/CDocumentFile.h"
#include "keyring/CDocumentPasswords.h"
#include "keyring/CKeyring.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

CConnectionData Entry(const QString& dsn, const QString& login, const QString& password,
                      int save = 1)
{
    CConnectionData entry;
    entry.m_dataSource = dsn;
    entry.m_login = login;
    entry.m_password = password;
    entry.m_savePassword = save;
    return entry;
}

// A service name per test program run: nothing of another run is read back.
QString Service()
{
    return QStringLiteral("TessellaTest%1").arg(getpid());
}

} // namespace

TEST(Keyring, WrittenSecretIsReadBackReplacedAndRemoved)
{
    CKeyring keyring(Service());
    QString secret;
    EXPECT_EQ(keyring.Read(u"absent"_qs, secret), CKeyring::Outcome::NotFound);
    ASSERT_EQ(keyring.Write(u"k"_qs, u"first ünï €"_qs), CKeyring::Outcome::Done)
        << keyring.Reason().toStdString();
    ASSERT_EQ(keyring.Write(u"k"_qs, u"second"_qs), CKeyring::Outcome::Done);
    EXPECT_EQ(keyring.Read(u"k"_qs, secret), CKeyring::Outcome::Done);
    EXPECT_EQ(secret, u"second"_qs);
    // Another service does not see it.
    QString other;
    EXPECT_EQ(CKeyring(Service() + u"x"_qs).Read(u"k"_qs, other), CKeyring::Outcome::NotFound);
    EXPECT_EQ(keyring.Remove(u"k"_qs), CKeyring::Outcome::Done);
    EXPECT_EQ(keyring.Read(u"k"_qs, secret), CKeyring::Outcome::NotFound);
    EXPECT_FALSE(keyring.KnownUnavailable());
}

TEST(Keyring, SavedDocumentHoldsEmptyPasswordsThatTheKeyringFillsOnLoading)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"doc.tsl"_qs);
    CKeyring keyring(Service());
    CDocumentContent content;
    content.connections = {Entry(u"Sales"_qs, u"alice"_qs, u"S3cret-A"_qs),
                           Entry(u"Sales"_qs, u"bob"_qs, u"S3cret-B"_qs),
                           Entry(u"Local"_qs, {}, u"NoLogin-P"_qs)};
    CDocumentPasswords passwords(keyring);
    const CConnectionDataArray original = content.connections;
    content.connections = passwords.ForFile(path, original);
    EXPECT_EQ(passwords.KeptInFile(), 0);
    QString error;
    ASSERT_TRUE(CDocumentFile::Save(path, content, error)) << error.toStdString();

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto utf16 = [](const QString& text) {
        return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    };
    EXPECT_FALSE(bytes.contains(utf16(u"S3cret-A"_qs)));
    EXPECT_FALSE(bytes.contains(utf16(u"S3cret-B"_qs)));
    // An entry without a login keeps the file's way.
    EXPECT_TRUE(bytes.contains(utf16(u"NoLogin-P"_qs)));

    CDocumentContent loaded;
    ASSERT_TRUE(CDocumentFile::Load(path, loaded, error));
    EXPECT_EQ(loaded.connections[0].m_password, QString());
    EXPECT_EQ(passwords.FillFromKeyring(path, loaded.connections), 2);
    EXPECT_EQ(loaded.connections, original);

    // The same document under another name finds nothing: the key holds the path.
    CConnectionDataArray moved = loaded.connections;
    moved[0].m_password.clear();
    EXPECT_EQ(passwords.FillFromKeyring(folder.filePath(u"other.tsl"_qs), moved), 0);
    EXPECT_EQ(moved[0].m_password, QString());
}

TEST(Keyring, PasswordNoLongerSavedLeavesTheKeyring)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"doc.tsl"_qs);
    CKeyring keyring(Service());
    CDocumentPasswords passwords(keyring);
    CConnectionDataArray entries{Entry(u"Db"_qs, u"carol"_qs, u"pw1"_qs)};
    passwords.ForFile(path, entries);
    entries[0].m_savePassword = 0;
    const CConnectionDataArray forFile = passwords.ForFile(path, entries);
    // Not saved: the file holds none either (CDocumentFile drops it), and the keyring forgot it.
    QString secret;
    EXPECT_EQ(keyring.Read(CDocumentPasswords::Key(path, entries[0]), secret),
              CKeyring::Outcome::NotFound);
    EXPECT_EQ(forFile[0].m_password, u"pw1"_qs);

    // Bare SQL files hold no connections: nothing goes to the keyring for them.
    const QString bare = folder.filePath(u"doc.sql"_qs);
    entries[0].m_savePassword = 1;
    passwords.ForFile(bare, entries);
    EXPECT_EQ(keyring.Read(CDocumentPasswords::Key(bare, entries[0]), secret),
              CKeyring::Outcome::NotFound);
}

TEST(KeyringMissing, PasswordsStayInTheFileAndLoadingAsksNothing)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"doc.tsl"_qs);
    CKeyring keyring(Service());
    CDocumentPasswords passwords(keyring);
    const CConnectionDataArray entries{Entry(u"Db"_qs, u"dave"_qs, u"pw"_qs),
                                       Entry(u"Db2"_qs, u"erin"_qs, u"pw2"_qs)};
    EXPECT_EQ(passwords.ForFile(path, entries), entries);
    EXPECT_EQ(passwords.KeptInFile(), 2);
    EXPECT_TRUE(keyring.KnownUnavailable());
    EXPECT_FALSE(keyring.Reason().isEmpty());

    CConnectionDataArray loaded{Entry(u"Db"_qs, u"dave"_qs, {})};
    EXPECT_EQ(passwords.FillFromKeyring(path, loaded), 0);
    EXPECT_EQ(loaded[0].m_password, QString());
}
