#pragma once

#include <QObject>
#include <QStringList>

class CCommandActions;
class QAction;
class QMainWindow;
class QMdiArea;
class QMenu;

// The main window's menu bar. Without an active document only "&File", "&View" and "&Help" with
// their general commands are there; a document adds its commands and the "&Edit", "&Query" and
// "&Window" menus.
class CMainMenus : public QObject
{
    Q_OBJECT

public:
    CMainMenus(QMainWindow& window, QMdiArea& area, const CCommandActions& actions);

    void ShowDocumentMenus(bool document);
    // Replaces the "Recent File" entries by `files` (full paths, newest first).
    void SetRecentFiles(const QStringList& files);

    QMenu* FileMenu() const { return m_file; }
    QMenu* WindowMenu() const { return m_window; }
    QList<QAction*> RecentActions() const { return m_recent; }

signals:
    void recentFileChosen(int index);
    // A menu is about to open: its commands must show their present state.
    void aboutToShowMenu();

private:
    QMenu* AddMenu(const QString& title);
    void BuildFileMenu();
    void BuildEditMenu();
    void BuildViewAndWindowMenus();
    void FillWindowList();

    QMainWindow& m_mainWindow;
    QMdiArea& m_area;
    const CCommandActions& m_actions;
    QMenu* m_file = nullptr;
    QMenu* m_edit = nullptr;
    QMenu* m_query = nullptr;
    QMenu* m_window = nullptr;
    QList<QAction*> m_documentOnly; // items of the general menus shown only with a document
    QAction* m_recentPlaceholder = nullptr;
    QAction* m_recentEnd = nullptr;
    QList<QAction*> m_recent;
    QAction* m_viewSplit = nullptr;
    QList<QAction*> m_windowList;
};
