#pragma once

#include "document/CRecoveryStore.h"

#include <memory>
#include <vector>

class QLockFile;

// One running instance's hold on a folder of recovery copies. Every instance writes into a
// folder of its own and keeps a lock file beside it while it runs; a folder whose lock nobody
// holds was left by an instance that crashed or was killed, and the next instance to take its
// lock may offer its copies. So two instances at once never take each other's copies.
class CRecoveryOwner
{
public:
    ~CRecoveryOwner();
    CRecoveryOwner(const CRecoveryOwner&) = delete;
    CRecoveryOwner& operator=(const CRecoveryOwner&) = delete;

    // "tessella/recovery" in the user's data folder.
    static QString DefaultRoot();

    // A fresh folder under `root` for this instance; null when the lock cannot be made.
    static std::unique_ptr<CRecoveryOwner> Create(const QString& root);
    // The folders under `root` that no running instance holds, each now held by the caller.
    static std::vector<std::unique_ptr<CRecoveryOwner>> ClaimLeftFolders(const QString& root);

    const CRecoveryStore& Store() const { return m_store; }

private:
    CRecoveryOwner(const QString& folder, std::unique_ptr<QLockFile> lock);
    static std::unique_ptr<QLockFile> TryLock(const QString& folder);

    CRecoveryStore m_store;
    std::unique_ptr<QLockFile> m_lock;
};
