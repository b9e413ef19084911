#include "app/CMainMenus.h"

#include "app/CCommandActions.h"
#include "app/CRecentFileList.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

CMainMenus::CMainMenus(QMainWindow& window, QMdiArea& area, const CCommandActions& actions)
    : QObject(&window), m_mainWindow(window), m_area(area), m_actions(actions)
{
    BuildFileMenu();
    BuildEditMenu();
    BuildViewAndWindowMenus();
    ShowDocumentMenus(false);
}

QMenu* CMainMenus::AddMenu(const QString& title)
{
    QMenu* menu = m_mainWindow.menuBar()->addMenu(title);
    connect(menu, &QMenu::aboutToShow, this, &CMainMenus::aboutToShowMenu);
    return menu;
}

void CMainMenus::BuildFileMenu()
{
    m_file = AddMenu(tr("&File"));
    m_file->addAction(m_actions.Action(Command::FileNew));
    m_file->addAction(m_actions.Action(Command::FileOpen));
    for (Command command :
         {Command::FileClose, Command::FileSave, Command::FileSaveAs, Command::FileExportResults}) {
        m_file->addAction(m_actions.Action(command));
        m_documentOnly << m_actions.Action(command);
    }
    m_file->addSeparator();
    m_file->addAction(m_actions.Action(Command::FilePrint));
    m_file->addAction(m_actions.Action(Command::FilePrintPreview));
    m_documentOnly << m_actions.Action(Command::FilePrint)
                   << m_actions.Action(Command::FilePrintPreview);
    m_file->addAction(m_actions.Action(Command::FilePrintSetup));
    m_file->addSeparator();
    m_recentPlaceholder = m_file->addAction(tr("Recent File"));
    m_recentPlaceholder->setEnabled(false);
    m_recentEnd = m_file->addSeparator();
    m_file->addAction(m_actions.Action(Command::AppExit));
}

void CMainMenus::BuildEditMenu()
{
    m_edit = AddMenu(tr("&Edit"));
    m_edit->addAction(m_actions.Action(Command::EditUndo));
    m_edit->addSeparator();
    for (Command command : {Command::EditCut, Command::EditCopy, Command::EditPaste,
                            Command::PasteFromFile, Command::EditSelectAll}) {
        m_edit->addAction(m_actions.Action(command));
    }
    m_edit->addSeparator();
    for (Command command : {Command::EditFind, Command::EditFindNext, Command::EditReplace}) {
        m_edit->addAction(m_actions.Action(command));
    }
    m_query = AddMenu(tr("&Query"));
    m_query->addAction(m_actions.Action(Command::QueryRun));
    m_query->addAction(m_actions.Action(Command::QueryStop));
}

void CMainMenus::BuildViewAndWindowMenus()
{
    QMenu* view = AddMenu(tr("&View"));
    view->addAction(m_actions.Action(Command::ViewToolBar));
    view->addAction(m_actions.Action(Command::ViewStatusBar));
    m_viewSplit = view->addAction(m_actions.Action(Command::WindowSplit)->text());
    connect(m_viewSplit, &QAction::triggered, m_actions.Action(Command::WindowSplit),
            &QAction::trigger);
    m_viewSplit->setStatusTip(m_actions.Action(Command::WindowSplit)->statusTip());
    m_viewSplit->setEnabled(false); // nothing to split without a document
    view->addSeparator();
    view->addAction(m_actions.Action(Command::ViewHistory));
    view->addAction(m_actions.Action(Command::Options));

    m_window = AddMenu(tr("&Window"));
    for (Command command : {Command::WindowCascade, Command::WindowTileHorizontal,
                            Command::WindowTileVertical, Command::WindowArrange}) {
        m_window->addAction(m_actions.Action(command));
    }
    QAction* split = m_actions.Action(Command::WindowSplit);
    split->setText(tr("&Split"));
    m_window->addAction(split);
    connect(m_window, &QMenu::aboutToShow, this, &CMainMenus::FillWindowList);

    QMenu* help = AddMenu(tr("&Help"));
    help->addAction(m_actions.Action(Command::HelpTopics));
    help->addSeparator();
    help->addAction(m_actions.Action(Command::AppAbout));
}

void CMainMenus::ShowDocumentMenus(bool document)
{
    for (QMenu* menu : {m_edit, m_query, m_window}) {
        menu->menuAction()->setVisible(document);
    }
    for (QAction* action : std::as_const(m_documentOnly)) {
        action->setVisible(document);
    }
    m_viewSplit->setVisible(!document);
}

void CMainMenus::SetRecentFiles(const QStringList& files)
{
    qDeleteAll(m_recent);
    m_recent.clear();
    m_recentPlaceholder->setVisible(files.isEmpty());
    for (int i = 0; i < files.size(); ++i) {
        const QString text =
            QStringLiteral("&%1 %2")
                .arg(i + 1 == 10 ? 0 : i + 1)
                .arg(CRecentFileList::DisplayName(files.at(i)).replace(QLatin1Char('&'), u"&&"_qs));
        auto* action = new QAction(text, m_file);
        action->setObjectName(QString::number(CommandNumber(Command::FileRecentFirst) + i));
        action->setStatusTip(files.at(i));
        connect(action, &QAction::triggered, this, [this, i] { emit recentFileChosen(i); });
        m_file->insertAction(m_recentEnd, action);
        m_recent << action;
    }
}

void CMainMenus::FillWindowList()
{
    qDeleteAll(m_windowList);
    m_windowList.clear();
    const QList<QMdiSubWindow*> windows = m_area.subWindowList();
    if (!windows.isEmpty()) {
        m_windowList << m_window->addSeparator();
    }
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows.at(i);
        QString title = window->windowTitle();
        title.remove(QStringLiteral("[*]"));
        QAction* action = m_window->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(title));
        action->setCheckable(true);
        action->setChecked(window == m_area.currentSubWindow());
        connect(action, &QAction::triggered, window,
                [this, window] { m_area.setActiveSubWindow(window); });
        m_windowList << action;
    }
}
