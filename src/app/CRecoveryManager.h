#pragma once

#include "document/CRecoveryOwner.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <vector>

class CChildFrame;
class CDlgRecovery;
class CDocumentManager;
class CQueryDocument;
class QWidget;

// Keeps a recovery copy of every modified document of this instance, written at a steady
// period while it stays modified, and drops it when the document is saved, loses its changes
// or its window closes. At start-up it offers the copies that earlier instances left behind.
class CRecoveryManager : public QObject
{
    Q_OBJECT

public:
    // The period between writes, unless TESSELLA_RECOVERY_INTERVAL_MS says otherwise.
    static constexpr int kDefaultIntervalMs = 30'000;

    CRecoveryManager(CDocumentManager& documents, const QString& root, QObject* parent = nullptr);
    ~CRecoveryManager() override;

    void SetInterval(int milliseconds);
    int Interval() const { return m_timer.interval(); }
    // This instance's own folder; null when it could not be made (no copies are kept then).
    const CRecoveryStore* Store() const { return m_owner ? &m_owner->Store() : nullptr; }

    // Writes the copies of the modified documents now and drops those of the others.
    void WriteCopies();

    // Takes the folders that no running instance holds and, when they have copies, shows the
    // offer (not modal) and answers it; null when there is nothing to offer.
    CDlgRecovery* OfferLeftCopies(QWidget* parent);

private:
    struct Offered
    {
        const CRecoveryOwner* owner;
        QString key;
    };

    void Track(CChildFrame* frame);
    void WriteCopy(CQueryDocument& document);
    void DropCopy(CQueryDocument* document);
    void Restore(int row);
    void Discard(int row);
    void ReleaseDecidedFolders();
    void ReleaseLeftFolders();

    CDocumentManager& m_documents;
    std::unique_ptr<CRecoveryOwner> m_owner;
    QTimer m_timer;
    int m_nextKey = 0;
    // Per tracked document: its copy's key and what was last written under it.
    QHash<CQueryDocument*, QString> m_keys;
    QHash<QString, QByteArray> m_written;
    std::vector<std::unique_ptr<CRecoveryOwner>> m_leftFolders;
    QList<Offered> m_offered;
    QPointer<CDlgRecovery> m_offer;
};
