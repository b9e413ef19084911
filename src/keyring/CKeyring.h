#pragma once

#include <QString>

#include <chrono>

// The desktop's keyring (the Secret Service on Linux), asked one secret at a time and waited
// for. A keyring that is not there, refuses or does not answer counts as unavailable, and is
// not asked again by this object: each question would wait for it anew.
class CKeyring
{
public:
    enum class Outcome
    {
        Done,
        NotFound,
        Unavailable,
    };

    // Secrets are filed under `service`, each by its own key.
    explicit CKeyring(QString service = QStringLiteral("Tessella"));

    // The one the programs share.
    static CKeyring& Session();

    Outcome Read(const QString& key, QString& secret);
    Outcome Write(const QString& key, const QString& secret);
    // NotFound when there was nothing to remove.
    Outcome Remove(const QString& key);

    // Whether a question was answered as unavailable.
    bool KnownUnavailable() const { return m_unavailable; }
    // The keyring's reason when it was found unavailable.
    const QString& Reason() const { return m_reason; }

    // How long one question may wait, the keyring's own unlock prompt included.
    void SetTimeOut(std::chrono::milliseconds timeOut) { m_timeOut = timeOut; }

private:
    template <typename Job> Outcome Ask(Job& job);

    QString m_service;
    bool m_unavailable = false;
    QString m_reason;
    std::chrono::milliseconds m_timeOut{std::chrono::seconds(60)};
};
