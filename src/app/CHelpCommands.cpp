#include "app/CHelpCommands.h"

#include "app/CHelpWindow.h"
#include "app/CMainFrame.h"
#include "results/CResultsView.h"
#include "views/CChildFrame.h"

#include <QAction>
#include <QApplication>
#include <QTabWidget>

CHelpCommands::CHelpCommands(CMainFrame& frame) : QObject(&frame), m_frame(frame)
{
    connect(frame.Action(Command::HelpTopics), &QAction::triggered, this,
            &CHelpCommands::ShowTopics);
    connect(frame.Action(Command::ContextHelp), &QAction::triggered, this,
            &CHelpCommands::ShowContextHelp);
}

void CHelpCommands::ShowTopics()
{
    EnsureWindow().ShowPage(QStringLiteral("index"));
}

void CHelpCommands::ShowContextHelp()
{
    // Asked before the help window takes the focus.
    const QString page = ContextPage();
    EnsureWindow().ShowPage(page);
}

QString CHelpCommands::ContextPage() const
{
    const CChildFrame* child = m_frame.ActiveChild();
    if (!child) {
        return QStringLiteral("index");
    }
    const CResultsView* results = child->Results();
    const QWidget* focused = QApplication::focusWidget();
    if (results && focused && (focused == results || results->isAncestorOf(focused))) {
        const bool connectionsTab = results->Tabs()->currentIndex() == 1;
        return connectionsTab ? QStringLiteral("connections") : QStringLiteral("results");
    }
    return QStringLiteral("document-window");
}

CHelpWindow* CHelpCommands::Window() const
{
    return m_window;
}

CHelpWindow& CHelpCommands::EnsureWindow()
{
    if (!m_window) {
        m_window = new CHelpWindow(&m_frame);
    }
    return *m_window;
}
