#include "app/CTessellaApp.h"

#include "app/CDlgOptions.h"
#include "app/CDlgRecovery.h"
#include "app/CDocumentManager.h"
#include "app/CHistoryWindow.h"
#include "app/CMainFrame.h"
#include "app/CMainMenus.h"
#include "app/CRecoveryManager.h"
#include "appbase/CMessageStrings.h"
#include "history/CRunHistory.h"
#include "views/CAboutDlg.h"
#include "views/CChildFrame.h"
#include "views/CQueryDocument.h"
#include "views/CTessellaView.h"

#include <QApplication>
#include <QFileDialog>
#include <QMdiArea>

CTessellaApp::CTessellaApp() = default;

CTessellaApp::~CTessellaApp()
{
    // The windows go before the document manager that made them.
    m_mainFrame.reset();
}

QString CTessellaApp::FileArgument(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (!argument.startsWith(QLatin1Char('-'))) {
            return argument;
        }
    }
    return QString();
}

bool CTessellaApp::InitInstance(const QStringList& arguments)
{
    QCoreApplication::setOrganizationName(QStringLiteral("MarrowindTeam"));
    QCoreApplication::setApplicationName(ApplicationName());
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/tessella.svg")));
    m_recentFiles.Load();

    m_mainFrame = std::make_unique<CMainFrame>();
    m_documents = std::make_unique<CDocumentManager>(*m_mainFrame->MdiArea(), m_recentFiles);
    m_recovery = std::make_unique<CRecoveryManager>(*m_documents, CRecoveryOwner::DefaultRoot());
    ConnectCommands();
    RefreshRecentFiles();

    // Without a file named, the most recently used document is opened again.
    QString file = FileArgument(arguments);
    if (file.isEmpty()) {
        file = m_recentFiles.First();
    }
    if (file.isEmpty()) {
        m_documents->NewDocument();
    } else {
        m_documents->OpenDocument(file);
    }
    m_mainFrame->show();
    m_mainFrame->UpdateCommands();
    // After a crash or a kill: what the earlier instance had not saved.
    m_recoveryOffer = m_recovery->OfferLeftCopies(m_mainFrame.get());
    return true;
}

CDlgRecovery* CTessellaApp::RecoveryOffer() const
{
    return m_recoveryOffer;
}

int CTessellaApp::ExitInstance(int exitCode)
{
    m_recentFiles.Save();
    return exitCode;
}

void CTessellaApp::ConnectCommands()
{
    CMainFrame& frame = *m_mainFrame;
    connect(frame.Action(Command::FileNew), &QAction::triggered, this, &CTessellaApp::OnFileNew);
    connect(frame.Action(Command::FileOpen), &QAction::triggered, this, &CTessellaApp::OnFileOpen);
    connect(frame.Action(Command::Options), &QAction::triggered, this, &CTessellaApp::OnOptions);
    connect(frame.Action(Command::ViewHistory), &QAction::triggered, this,
            &CTessellaApp::OnHistory);
    connect(frame.Action(Command::AppAbout), &QAction::triggered, this, &CTessellaApp::OnAppAbout);
    connect(&frame.Menus(), &CMainMenus::recentFileChosen, this, &CTessellaApp::OnOpenRecentFile);
    connect(&frame, &CMainFrame::filesDropped, this, &CTessellaApp::OpenFiles);
    connect(m_documents.get(), &CDocumentManager::recentFilesChanged, this,
            &CTessellaApp::RefreshRecentFiles);
}

void CTessellaApp::RefreshRecentFiles()
{
    m_mainFrame->Menus().SetRecentFiles(m_recentFiles.Files());
}

void CTessellaApp::OnFileNew()
{
    m_documents->NewDocument();
}

void CTessellaApp::OnFileOpen()
{
    QFileDialog dialog(m_mainFrame.get(), tr("Open"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters({tr("Tessella Files (*.tsl)"), tr("All Files (*)")});
    if (dialog.exec() == QDialog::Accepted) {
        OpenFiles(dialog.selectedFiles());
    }
}

void CTessellaApp::OpenFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        m_documents->OpenDocument(path);
    }
}

void CTessellaApp::OnOpenRecentFile(int index)
{
    const QString path = m_recentFiles.Files().value(index);
    if (path.isEmpty()) {
        return;
    }
    // A recent file that cannot be opened any more leaves the list.
    if (!m_documents->OpenDocument(path)) {
        m_recentFiles.Remove(index);
        m_recentFiles.Save();
        RefreshRecentFiles();
    }
}

void CTessellaApp::OnOptions()
{
    CDlgOptions dialog(m_mainFrame.get());
    dialog.LoadSettings();
    dialog.exec();
}

void CTessellaApp::OnHistory()
{
    if (!m_history) {
        m_history = new CHistoryWindow(CRunHistory::DefaultPath(), m_mainFrame.get());
        connect(m_history, &CHistoryWindow::openInNewDocument, this,
                &CTessellaApp::OpenInNewDocument);
    }
    m_history->show();
    m_history->Refresh();
    m_history->raise();
    m_history->activateWindow();
}

CHistoryWindow* CTessellaApp::HistoryWindow() const
{
    return m_history;
}

void CTessellaApp::OpenInNewDocument(const QString& sqlText)
{
    CChildFrame* frame = m_documents->NewDocument();
    if (!frame) {
        return;
    }
    frame->Editor()->SetDocumentText(sqlText);
    // Text from elsewhere, not yet in any file.
    frame->Document().SetModifiedFlag(true);
}

void CTessellaApp::OnAppAbout()
{
    CAboutDlg dialog(m_mainFrame.get());
    dialog.exec();
}
