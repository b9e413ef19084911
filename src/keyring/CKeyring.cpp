#include "keyring/CKeyring.h"

#include <QEventLoop>
#include <QTimer>

#include <qt6keychain/keychain.h>

CKeyring::CKeyring(QString service) : m_service(std::move(service))
{
}

CKeyring& CKeyring::Session()
{
    static CKeyring keyring;
    return keyring;
}

template <typename Job> CKeyring::Outcome CKeyring::Ask(Job& job)
{
    if (m_unavailable) {
        return Outcome::Unavailable;
    }
    job.setAutoDelete(false);
    // The passwords never go to a plain file beside the keyring.
    job.setInsecureFallback(false);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(m_timeOut, &loop, &QEventLoop::quit);
    job.start();
    if (!finished) {
        // Typing goes on in the windows meanwhile only for the keyring's own prompt.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!finished) {
        m_unavailable = true;
        m_reason = QStringLiteral("the keyring did not answer");
        return Outcome::Unavailable;
    }
    switch (job.error()) {
    case QKeychain::NoError:
        return Outcome::Done;
    case QKeychain::EntryNotFound:
        return Outcome::NotFound;
    default:
        m_unavailable = true;
        m_reason = job.errorString();
        return Outcome::Unavailable;
    }
}

CKeyring::Outcome CKeyring::Read(const QString& key, QString& secret)
{
    QKeychain::ReadPasswordJob job(m_service);
    job.setKey(key);
    const Outcome outcome = Ask(job);
    if (outcome == Outcome::Done) {
        secret = job.textData();
    }
    return outcome;
}

CKeyring::Outcome CKeyring::Write(const QString& key, const QString& secret)
{
    QKeychain::WritePasswordJob job(m_service);
    job.setKey(key);
    job.setTextData(secret);
    return Ask(job);
}

CKeyring::Outcome CKeyring::Remove(const QString& key)
{
    QKeychain::DeletePasswordJob job(m_service);
    job.setKey(key);
    return Ask(job);
}
