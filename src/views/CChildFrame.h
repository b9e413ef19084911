#pragma once

#include "views/CPasswordPrompter.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class CCommandTarget;
class CLeftView;
class CProgressDlg;
class CQueryDocument;
class CResultsView;
class CSplitterKeyboardMover;
class CTessellaView;
class QAction;
class QSplitter;
class QToolBar;

// One document window: the connection tree and the SQL editor side by side above the results,
// and a tool bar with "Run" and "Stop" and the batch-parsing progress. Owns its document.
class CChildFrame : public QWidget
{
    Q_OBJECT

public:
    explicit CChildFrame(QWidget* parent = nullptr);
    ~CChildFrame() override;

    CQueryDocument& Document() const { return *m_document; }
    CLeftView* Tree() const { return m_tree; }
    CTessellaView* Editor() const { return m_editor; }
    CResultsView* Results() const { return m_results; }
    CProgressDlg* ProgressBar() const { return m_progressBar; }
    QToolBar* ToolBar() const { return m_toolBar; }
    QAction* RunAction() const { return m_runAction; }
    QAction* StopAction() const { return m_stopAction; }
    QSplitter* OuterSplitter() const { return m_outer; }
    QSplitter* InnerSplitter() const { return m_inner; }

    // "Run": runs the editor's selection, or all of its text, on the enabled connections.
    void OnRun();
    // "Stop": asks the run to stop, without waiting.
    void OnStop();
    // Run needs a connection and an idle document; Stop a running one.
    bool CanRun() const;
    bool CanStop() const;

    // The pane that had the focus last, when it carries commands.
    CCommandTarget* ActiveTarget() const;
    // F6 and Shift+F6: the focus goes to the next or previous pane.
    void ActivateNextPane(bool forward);
    // "Split": the splitter bars follow the arrow keys until Enter or Escape.
    void StartSplitTracking();
    CSplitterKeyboardMover* SplitMover() const { return m_splitMover; }
    // Asks Run for the passwords the document's entries lack.
    CPasswordPrompter& PasswordPrompter() { return m_passwordPrompter; }

    // "Save" and "Save As...": false when cancelled or failed (the failure was shown).
    bool Save();
    bool SaveAs();

signals:
    // A text for the main window's status bar; empty for its idle text.
    void statusMessage(const QString& text);
    // Something that commands depend on changed: run state, selection, text, connections.
    void commandStateChanged();
    // The window agreed to close: its document was saved, had no changes, or the user chose
    // not to save them.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateToolBar();
    void CreatePanes();
    void ConnectDocument();
    void UpdateTitle();
    void UpdateRunActions();
    void WatchRun();
    void OnFocusChanged(QWidget* now);
    QList<QWidget*> Panes() const;

    CQueryDocument* m_document;
    QToolBar* m_toolBar = nullptr;
    QAction* m_runAction = nullptr;
    QAction* m_stopAction = nullptr;
    CProgressDlg* m_progressBar = nullptr;
    QSplitter* m_outer = nullptr;
    QSplitter* m_inner = nullptr;
    CLeftView* m_tree = nullptr;
    CTessellaView* m_editor = nullptr;
    CResultsView* m_results = nullptr;
    CSplitterKeyboardMover* m_splitMover = nullptr;
    QPointer<QWidget> m_activePane;
    // The application's focus signal outlives this frame's own part: ~QWidget hides the window
    // and moves the focus, and QObject only drops the connection after that.
    QMetaObject::Connection m_focusWatch;
    CPasswordPrompter m_passwordPrompter;
    // Polls while a run goes on: the document says nothing when its threads end.
    QTimer m_runWatch;
};
