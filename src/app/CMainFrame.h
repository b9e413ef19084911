#pragma once

#include "appbase/CommandIds.h"
#include "views/CSqlPrinter.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class CChildFrame;
class CCommandActions;
class CHelpCommands;
class CMainMenus;
class QLabel;
class QMdiArea;

// The main window: the document windows in an MDI area, the menus, the tool bar and the status
// bar. It sends the document commands to the active document window and shows every command
// enabled or disabled as that window's state allows. Files dropped on it are handed on to be
// opened.
class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    QMdiArea* MdiArea() const { return m_area; }
    CChildFrame* ActiveChild() const;
    QAction* Action(Command command) const;
    CMainMenus& Menus() const { return *m_menus; }
    QToolBar* MainToolBar() const { return m_toolBar; }
    QLabel* IdleLabel() const { return m_idleText; }
    CSqlPrinter& Printer() { return m_printer; }
    CHelpCommands& Help() const { return *m_help; }

    // Brings every command's enabled state up to date with the active document window.
    void UpdateCommands();

signals:
    void filesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateToolBar();
    void CreateStatusBar();
    void ConnectDocumentCommands();
    void OnDocumentCommand(Command command);
    // File › Export Results… for the window's last run; not while it runs.
    void ExportResults(CChildFrame& child);
    void OnEditCommand(Command command);
    void OnSubWindowActivated();
    void UpdateTitle();
    bool CloseAllDocuments();

    QMdiArea* m_area;
    std::unique_ptr<CCommandActions> m_actions;
    CMainMenus* m_menus = nullptr;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_idleText = nullptr;
    CHelpCommands* m_help = nullptr;
    QPointer<CChildFrame> m_watchedChild;
    CSqlPrinter m_printer;
};
