#include "app/CRecoveryManager.h"

#include "app/CDlgRecovery.h"
#include "app/CDocumentManager.h"
#include "appbase/CSuperApp.h"
#include "views/CChildFrame.h"
#include "views/CQueryDocument.h"

#include <QDateTime>
#include <QFileInfo>

namespace {

int IntervalFromEnvironment()
{
    bool ok = false;
    const int milliseconds = qEnvironmentVariableIntValue("TESSELLA_RECOVERY_INTERVAL_MS", &ok);
    return ok && milliseconds > 0 ? milliseconds : CRecoveryManager::kDefaultIntervalMs;
}

void ShowError(const QString& text)
{
    if (CSuperApp* app = CSuperApp::Instance()) {
        app->ShowError(text);
    }
}

} // namespace

CRecoveryManager::CRecoveryManager(CDocumentManager& documents, const QString& root,
                                   QObject* parent)
    : QObject(parent), m_documents(documents), m_owner(CRecoveryOwner::Create(root))
{
    if (!m_owner) {
        qWarning("tessella: no recovery copies can be kept under %s", qUtf8Printable(root));
        return;
    }
    m_timer.setInterval(IntervalFromEnvironment());
    connect(&m_timer, &QTimer::timeout, this, &CRecoveryManager::WriteCopies);
    m_timer.start();
    for (CChildFrame* frame : m_documents.Frames()) {
        Track(frame);
    }
    connect(&m_documents, &CDocumentManager::frameShown, this, &CRecoveryManager::Track);
}

CRecoveryManager::~CRecoveryManager()
{
    delete m_offer.data();
}

void CRecoveryManager::SetInterval(int milliseconds)
{
    m_timer.setInterval(milliseconds);
}

void CRecoveryManager::Track(CChildFrame* frame)
{
    CQueryDocument* document = &frame->Document();
    if (!m_owner || m_keys.contains(document)) {
        return;
    }
    m_keys.insert(document, QStringLiteral("document-%1").arg(++m_nextKey));
    connect(document, &CQueryDocument::saved, this, [this, document] { DropCopy(document); });
    connect(document, &CQueryDocument::modifiedChanged, this, [this, document](bool modified) {
        if (!modified) {
            DropCopy(document);
        }
    });
    connect(frame, &CChildFrame::closed, this, [this, document] {
        DropCopy(document);
        m_keys.remove(document);
    });
    // A window destroyed without closing (the program is going down another way) keeps its
    // copy for the next start.
    connect(document, &QObject::destroyed, this, [this, document] { m_keys.remove(document); });
}

void CRecoveryManager::WriteCopies()
{
    for (auto it = m_keys.cbegin(); it != m_keys.cend(); ++it) {
        if (it.key()->IsModified()) {
            WriteCopy(*it.key());
        } else {
            DropCopy(it.key());
        }
    }
}

void CRecoveryManager::WriteCopy(CQueryDocument& document)
{
    CRecoveryCopy copy;
    copy.key = m_keys.value(&document);
    copy.title = document.Title();
    copy.pathName = document.PathName();
    copy.content = document.Content();
    // An unchanged document is not written again: the copy keeps the time of its last change.
    const QByteArray state = CDocumentFile::Encode(QStringLiteral("state.tsl"), copy.content) +
                             copy.title.toUtf8() + '\0' + copy.pathName.toUtf8();
    if (m_written.value(copy.key) == state) {
        return;
    }
    copy.written = QDateTime::currentDateTimeUtc();
    QString errorText;
    if (!m_owner->Store().Write(copy, errorText)) {
        qWarning("tessella: %s", qUtf8Printable(errorText));
        return;
    }
    m_written.insert(copy.key, state);
}

void CRecoveryManager::DropCopy(CQueryDocument* document)
{
    const QString key = m_keys.value(document);
    if (!key.isEmpty() && m_written.remove(key)) {
        m_owner->Store().Remove(key);
    }
}

CDlgRecovery* CRecoveryManager::OfferLeftCopies(QWidget* parent)
{
    if (!m_owner || m_offer) {
        return nullptr;
    }
    QList<CRecoveryCopy> copies;
    for (std::unique_ptr<CRecoveryOwner>& folder :
         CRecoveryOwner::ClaimLeftFolders(QFileInfo(m_owner->Store().Folder()).absolutePath())) {
        for (const CRecoveryCopy& copy : folder->Store().List()) {
            copies << copy;
            m_offered << Offered{folder.get(), copy.key};
        }
        m_leftFolders.push_back(std::move(folder));
    }
    // Folders without copies (an instance killed before its first change) go at once.
    ReleaseDecidedFolders();
    if (copies.isEmpty()) {
        return nullptr;
    }
    auto* offer = new CDlgRecovery(copies, parent);
    offer->setAttribute(Qt::WA_DeleteOnClose);
    connect(offer, &CDlgRecovery::restoreChosen, this, &CRecoveryManager::Restore);
    connect(offer, &CDlgRecovery::discardChosen, this, &CRecoveryManager::Discard);
    connect(offer, &QDialog::finished, this, &CRecoveryManager::ReleaseLeftFolders);
    m_offer = offer;
    offer->show();
    return offer;
}

void CRecoveryManager::Restore(int row)
{
    if (m_offer->IsDecided(row)) {
        return;
    }
    const Offered& offered = m_offered.at(row);
    CRecoveryCopy copy;
    QString errorText;
    if (!offered.owner->Store().Read(offered.key, copy, errorText)) {
        ShowError(errorText);
        return;
    }
    CChildFrame* frame = m_documents.OpenRecovered(copy.content, copy.pathName);
    Track(frame);
    // The new copy is safe before the old one goes.
    WriteCopy(frame->Document());
    offered.owner->Store().Remove(offered.key);
    m_offer->MarkDecided(row);
    ReleaseDecidedFolders();
}

void CRecoveryManager::Discard(int row)
{
    if (m_offer->IsDecided(row)) {
        return;
    }
    const Offered& offered = m_offered.at(row);
    offered.owner->Store().Remove(offered.key);
    m_offer->MarkDecided(row);
    ReleaseDecidedFolders();
}

void CRecoveryManager::ReleaseDecidedFolders()
{
    std::erase_if(m_leftFolders, [](const std::unique_ptr<CRecoveryOwner>& folder) {
        return folder->Store().IsEmpty();
    });
}

void CRecoveryManager::ReleaseLeftFolders()
{
    // What was not decided on stays for the next start.
    m_offered.clear();
    m_leftFolders.clear();
}
