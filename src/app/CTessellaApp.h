#pragma once

#include "app/CRecentFileList.h"
#include "appbase/CSuperApp.h"

#include <QPointer>

#include <memory>

class CDlgRecovery;
class CHistoryWindow;
class CDocumentManager;
class CRecoveryManager;
class CMainFrame;

// The application: start-up, the main window, and the application-wide commands ("&New",
// "&Open...", the recent files, "Options...", "&About Tessella...").
class CTessellaApp : public CSuperApp
{
    Q_OBJECT

public:
    CTessellaApp();
    ~CTessellaApp() override;

    // Creates the main window and opens the file named by `arguments` (the command line without
    // the program), or else the most recently used document, or else a new one. A file that
    // cannot be opened is reported and the main window is shown all the same.
    bool InitInstance(const QStringList& arguments);
    // Saves what the application keeps; answers the exit code.
    int ExitInstance(int exitCode);

    CMainFrame* MainFrame() const { return m_mainFrame.get(); }
    CDocumentManager& Documents() const { return *m_documents; }
    CRecentFileList& RecentFiles() { return m_recentFiles; }
    CRecoveryManager& Recovery() const { return *m_recovery; }
    // The offer of the documents that an earlier instance left unsaved, while it is open.
    CDlgRecovery* RecoveryOffer() const;

    void OnFileNew();
    void OnFileOpen();
    void OnOpenRecentFile(int index);
    void OnOptions();
    void OnHistory();
    // The history window, once "History..." made it.
    CHistoryWindow* HistoryWindow() const;
    // A new document holding `sqlText`, modified.
    void OpenInNewDocument(const QString& sqlText);
    void OnAppAbout();
    void OpenFiles(const QStringList& paths);

    // The file to open from the command line: the first argument that is not an option.
    static QString FileArgument(const QStringList& arguments);

private:
    void ConnectCommands();
    void RefreshRecentFiles();

    CRecentFileList m_recentFiles;
    std::unique_ptr<CMainFrame> m_mainFrame;
    std::unique_ptr<CDocumentManager> m_documents;
    std::unique_ptr<CRecoveryManager> m_recovery;
    QPointer<CDlgRecovery> m_recoveryOffer;
    QPointer<CHistoryWindow> m_history;
};
