#pragma once

#include <QObject>
#include <QPointer>

class CHelpWindow;
class CMainFrame;

// "Help Topics" (F1) opens the user guide at its contents; the context help (Shift+F1, the
// tool bar's help button) at the page of the window or pane that has the focus.
class CHelpCommands : public QObject
{
    Q_OBJECT

public:
    explicit CHelpCommands(CMainFrame& frame);

    void ShowTopics();
    void ShowContextHelp();
    // The guide's page for where the focus is now.
    QString ContextPage() const;
    // The help window, once one of the commands made it.
    CHelpWindow* Window() const;

private:
    CHelpWindow& EnsureWindow();

    CMainFrame& m_frame;
    QPointer<CHelpWindow> m_window;
};
