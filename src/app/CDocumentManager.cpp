#include "app/CDocumentManager.h"

#include "app/CRecentFileList.h"
#include "appbase/CSuperApp.h"
#include "document/CDocumentFile.h"
#include "views/CChildFrame.h"
#include "views/CQueryDocument.h"
#include "views/CTessellaView.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>

CDocumentManager::CDocumentManager(QMdiArea& area, CRecentFileList& recentFiles, QObject* parent)
    : QObject(parent), m_area(area), m_recentFiles(recentFiles)
{
}

QList<CChildFrame*> CDocumentManager::Frames() const
{
    QList<CChildFrame*> frames;
    for (QMdiSubWindow* window : m_area.subWindowList()) {
        if (auto* frame = qobject_cast<CChildFrame*>(window->widget())) {
            frames << frame;
        }
    }
    return frames;
}

CChildFrame* CDocumentManager::FindByPath(const QString& path) const
{
    const QString wanted = QFileInfo(path).absoluteFilePath();
    for (CChildFrame* frame : Frames()) {
        if (!frame->Document().PathName().isEmpty() && frame->Document().PathName() == wanted) {
            return frame;
        }
    }
    return nullptr;
}

CChildFrame* CDocumentManager::NewDocument()
{
    auto* frame = new CChildFrame;
    frame->Document().SetTitle(QStringLiteral("TSL%1").arg(++m_untitledCount));
    Show(frame);
    return frame;
}

CChildFrame* CDocumentManager::OpenDocument(const QString& path)
{
    if (CChildFrame* open = FindByPath(path)) {
        m_area.setActiveSubWindow(qobject_cast<QMdiSubWindow*>(open->parentWidget()));
        return open;
    }
    auto frame = std::make_unique<CChildFrame>();
    QString errorText;
    if (!frame->Document().Load(path, errorText)) {
        if (CSuperApp* app = CSuperApp::Instance()) {
            app->ShowError(errorText);
        }
        return nullptr;
    }
    CChildFrame* opened = frame.release();
    Show(opened);
    NoteRecent(opened->Document().PathName());
    return opened;
}

CChildFrame* CDocumentManager::OpenRecovered(const CDocumentContent& content, const QString& path)
{
    CChildFrame* frame = path.isEmpty() ? nullptr : FindByPath(path);
    if (frame && frame->Document().IsModified()) {
        frame = nullptr;
    }
    if (frame) {
        m_area.setActiveSubWindow(qobject_cast<QMdiSubWindow*>(frame->parentWidget()));
    } else if (path.isEmpty()) {
        frame = NewDocument();
    } else {
        frame = new CChildFrame;
        frame->Document().SetPathName(path);
        Show(frame);
    }
    CQueryDocument& document = frame->Document();
    document.Editor()->SetDocumentText(content.sqlText);
    document.RunDocument().m_connections = content.connections;
    document.UpdateAllViews(nullptr);
    document.SetModifiedFlag(true);
    return frame;
}

void CDocumentManager::Show(CChildFrame* frame)
{
    // A new window follows the current one: maximized when it is, or when it is the first.
    const QMdiSubWindow* current = m_area.currentSubWindow();
    const bool maximized = !current || current->isMaximized();
    QMdiSubWindow* window = m_area.addSubWindow(frame);
    connect(&frame->Document(), &CQueryDocument::saved, this, &CDocumentManager::NoteRecent);
    if (maximized) {
        window->showMaximized();
    } else {
        window->resize(m_area.viewport()->size() * 3 / 4);
        window->show();
    }
    m_area.setActiveSubWindow(window);
    frame->Editor()->setFocus();
    emit frameShown(frame);
}

void CDocumentManager::NoteRecent(const QString& path)
{
    m_recentFiles.Add(path);
    m_recentFiles.Save();
    emit recentFilesChanged();
}
