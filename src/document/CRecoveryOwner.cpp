#include "document/CRecoveryOwner.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <QUuid>

namespace {

QString LockPath(const QString& folder)
{
    return folder + QStringLiteral(".lock");
}

} // namespace

CRecoveryOwner::CRecoveryOwner(const QString& folder, std::unique_ptr<QLockFile> lock)
    : m_store(folder), m_lock(std::move(lock))
{
}

CRecoveryOwner::~CRecoveryOwner()
{
    // Copies still there belong to documents that never closed; the next start offers them.
    if (m_store.IsEmpty()) {
        m_store.RemoveFolder();
    }
    m_lock->unlock();
}

QString CRecoveryOwner::DefaultRoot()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("tessella/recovery"));
}

std::unique_ptr<QLockFile> CRecoveryOwner::TryLock(const QString& folder)
{
    auto lock = std::make_unique<QLockFile>(LockPath(folder));
    // A lock is stale only when the process that made it has gone, never by its age: an
    // instance may run for days.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        return nullptr;
    }
    return lock;
}

std::unique_ptr<CRecoveryOwner> CRecoveryOwner::Create(const QString& root)
{
    if (!CRecoveryStore::MakePrivateFolder(root)) {
        return nullptr;
    }
    // The lock comes before the folder, so nobody sees the folder unlocked.
    const QString folder = QDir(root).filePath(QUuid::createUuid().toString(QUuid::WithoutBraces));
    std::unique_ptr<QLockFile> lock = TryLock(folder);
    if (!lock || !CRecoveryStore::MakePrivateFolder(folder)) {
        return nullptr;
    }
    return std::unique_ptr<CRecoveryOwner>(new CRecoveryOwner(folder, std::move(lock)));
}

std::vector<std::unique_ptr<CRecoveryOwner>> CRecoveryOwner::ClaimLeftFolders(const QString& root)
{
    std::vector<std::unique_ptr<CRecoveryOwner>> claimed;
    const QDir rootDir(root);
    for (const QString& name : rootDir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString folder = rootDir.filePath(name);
        if (std::unique_ptr<QLockFile> lock = TryLock(folder)) {
            claimed.push_back(
                std::unique_ptr<CRecoveryOwner>(new CRecoveryOwner(folder, std::move(lock))));
        }
    }
    return claimed;
}
