#include "document/CRecoveryOwner.h"
#include "document/CRecoveryStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

CRecoveryCopy Copy(const QString& key, const QString& title, const QString& path,
                   const QString& sql)
{
    CRecoveryCopy copy;
    copy.key = key;
    copy.title = title;
    copy.pathName = path;
    copy.written = QDateTime::fromString("2026-03-04T05:06:07.089Z", Qt::ISODateWithMs);
    copy.content.sqlText = sql;
    return copy;
}

CConnectionData Entry(const QString& dataSource, const QString& password, qint32 savePassword)
{
    CConnectionData entry;
    entry.m_dataSource = dataSource;
    entry.m_login = "user";
    entry.m_password = password;
    entry.m_savePassword = savePassword;
    entry.m_timeOut = 7;
    entry.m_enabled = 0;
    return entry;
}

mode_t Mode(const QString& path)
{
    struct stat info = {};
    EXPECT_EQ(stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info.st_mode & 07777;
}

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

class RecoveryStoreTest : public ::testing::Test
{
protected:
    QString Folder() const { return m_dir.filePath("recovery/one"); }

    QTemporaryDir m_dir;
};

TEST_F(RecoveryStoreTest, CopiesAreWrittenListedReadAndRemovedPrivately)
{
    // A umask that would leave everything readable to all must not matter.
    const mode_t oldMask = umask(0);
    const CRecoveryStore store(Folder());
    QString error;
    CRecoveryCopy titled = Copy("document-1", "report.tsl", "/data/report.tsl", "SELECT 1");
    titled.content.connections << Entry("Sales", "pw", 1);
    ASSERT_TRUE(store.Write(titled, error)) << error.toStdString();
    ASSERT_TRUE(store.Write(Copy("document-2", "TSL3", QString(), "SELECT 'new'"), error));
    // Written again: the copy is replaced, not added.
    ASSERT_TRUE(store.Write(Copy("document-2", "TSL3", QString(), "SELECT 'newer'"), error));
    umask(oldMask);

    const QList<CRecoveryCopy> listed = store.List();
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed[0].key, "document-1");
    EXPECT_EQ(listed[0].title, "report.tsl");
    EXPECT_EQ(listed[0].pathName, "/data/report.tsl");
    EXPECT_EQ(listed[0].written, titled.written);
    EXPECT_EQ(listed[1].title, "TSL3");
    EXPECT_TRUE(listed[1].pathName.isEmpty());

    CRecoveryCopy read;
    ASSERT_TRUE(store.Read("document-1", read, error)) << error.toStdString();
    EXPECT_EQ(read.content.sqlText, "SELECT 1");
    EXPECT_EQ(read.content.connections, titled.content.connections);
    ASSERT_TRUE(store.Read("document-2", read, error));
    EXPECT_EQ(read.content.sqlText, "SELECT 'newer'");

    // Nothing but the copies and their records: no temporary file is left behind.
    EXPECT_EQ(
        QDir(Folder()).entryList(QDir::Files, QDir::Name),
        (QStringList{"document-1.json", "document-1.tsl", "document-2.json", "document-2.tsl"}));
    EXPECT_EQ(Mode(Folder()), 0700u);
    for (const QString& name : QDir(Folder()).entryList(QDir::Files)) {
        EXPECT_EQ(Mode(QDir(Folder()).filePath(name)), 0600u) << name.toStdString();
    }

    store.Remove("document-1");
    ASSERT_EQ(store.List().size(), 1);
    EXPECT_EQ(store.List()[0].key, "document-2");
    EXPECT_FALSE(store.Read("document-1", read, error));
    store.Remove("document-2");
    EXPECT_TRUE(store.IsEmpty());
}

TEST_F(RecoveryStoreTest, PasswordsAreKeptOnlyWhereTheDocumentSavesThem)
{
    const CRecoveryStore store(Folder());
    CRecoveryCopy copy = Copy("document-1", "TSL1", QString(), "SELECT 1");
    copy.content.connections << Entry("Kept", "open-sesame", 1) << Entry("Left", "hush-hush", 0);
    QString error;
    ASSERT_TRUE(store.Write(copy, error));

    QByteArray everything;
    for (const QString& name : QDir(Folder()).entryList(QDir::Files)) {
        everything += Bytes(QDir(Folder()).filePath(name));
    }
    const auto utf16 = [](const QString& text) {
        return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    };
    EXPECT_TRUE(everything.contains(utf16("open-sesame")));
    EXPECT_FALSE(everything.contains(utf16("hush-hush")));
    EXPECT_FALSE(everything.contains("hush-hush"));

    CRecoveryCopy read;
    ASSERT_TRUE(store.Read("document-1", read, error));
    ASSERT_EQ(read.content.connections.size(), 2);
    EXPECT_EQ(read.content.connections[0].m_password, "open-sesame");
    EXPECT_TRUE(read.content.connections[1].m_password.isEmpty());
    EXPECT_EQ(read.content.connections[1].m_savePassword, 0);
    EXPECT_EQ(read.content.connections[1].m_timeOut, 7);
}

TEST_F(RecoveryStoreTest, AFolderIsClaimedOnlyWhenItsInstanceIsGone)
{
    const QString root = m_dir.filePath("recovery");
    QString error;
    auto running = CRecoveryOwner::Create(root);
    ASSERT_TRUE(running);
    ASSERT_TRUE(running->Store().Write(Copy("document-1", "TSL1", QString(), "SELECT 1"), error));
    EXPECT_EQ(Mode(root), 0700u);
    EXPECT_EQ(Mode(running->Store().Folder()), 0700u);
    EXPECT_TRUE(CRecoveryOwner::ClaimLeftFolders(root).empty());

    // An instance killed while it had a modified document.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto killed = CRecoveryOwner::Create(root);
        QString childError;
        if (killed && killed->Store().Write(Copy("document-1", "left.tsl", "/left.tsl", "SELECT 2"),
                                            childError)) {
            raise(SIGKILL);
        }
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    auto claimed = CRecoveryOwner::ClaimLeftFolders(root);
    ASSERT_EQ(claimed.size(), 1u);
    ASSERT_EQ(claimed[0]->Store().List().size(), 1);
    EXPECT_EQ(claimed[0]->Store().List()[0].title, "left.tsl");
    // Held by the first claimant, so a second instance starting now does not offer it too.
    EXPECT_TRUE(CRecoveryOwner::ClaimLeftFolders(root).empty());

    // Released undecided: the copy waits for the next start.
    const QString leftFolder = claimed[0]->Store().Folder();
    claimed.clear();
    claimed = CRecoveryOwner::ClaimLeftFolders(root);
    ASSERT_EQ(claimed.size(), 1u);
    claimed[0]->Store().Remove("document-1");
    claimed.clear();
    EXPECT_FALSE(QFileInfo::exists(leftFolder));

    // An instance that ends with its copies removed leaves nothing behind.
    const QString ownFolder = running->Store().Folder();
    running->Store().Remove("document-1");
    running.reset();
    EXPECT_FALSE(QFileInfo::exists(ownFolder));
    EXPECT_TRUE(QDir(root).isEmpty());
}

} // namespace
