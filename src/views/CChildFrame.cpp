#include "views/CChildFrame.h"

#include "appbase/CCommandTarget.h"
#include "appbase/CommandIds.h"
#include "history/CHistoryRecorder.h"
#include "history/CRunHistory.h"
#include "results/CDlgClosingThreads.h"
#include "results/CResultsView.h"
#include "views/CDocumentSaver.h"
#include "views/CLeftView.h"
#include "views/CProgressDlg.h"
#include "views/CQueryDocument.h"
#include "views/CSplitterKeyboardMover.h"
#include "views/CTessellaView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr int kRunWatchMilliseconds = 100;

QAction* RunCommandAction(QToolBar* bar, Command command, const QString& text, const QString& tip,
                          const QString& icon, const QKeySequence& key)
{
    QAction* action = bar->addAction(QIcon(icon), text);
    action->setObjectName(QString::number(CommandNumber(command)));
    action->setToolTip(tip);
    action->setStatusTip(text);
    action->setShortcut(key);
    // Anywhere inside this document window, wherever the focus is.
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    return action;
}

} // namespace

CChildFrame::CChildFrame(QWidget* parent) : QWidget(parent), m_document(new CQueryDocument(this))
{
    CreateToolBar();
    CreatePanes();
    ConnectDocument();
    m_runWatch.setInterval(kRunWatchMilliseconds);
    connect(&m_runWatch, &QTimer::timeout, this, &CChildFrame::WatchRun);
    UpdateRunActions();
    UpdateTitle();
}

CChildFrame::~CChildFrame()
{
    disconnect(m_focusWatch);
}

void CChildFrame::CreateToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setFloatable(false);
    m_toolBar->setMovable(false);
    m_runAction = RunCommandAction(m_toolBar, Command::QueryRun, tr("Run"), tr("Run query (Alt+R)"),
                                   QStringLiteral(":/views/run.svg"), QKeySequence(tr("Alt+R")));
    m_stopAction =
        RunCommandAction(m_toolBar, Command::QueryStop, tr("Stop"), tr("Stop query (Alt+S)"),
                         QStringLiteral(":/views/stop.svg"), QKeySequence(tr("Alt+S")));
    // The keys reach the actions from every pane of this window, not only from the tool bar.
    addAction(m_runAction);
    addAction(m_stopAction);
    connect(m_runAction, &QAction::triggered, this, &CChildFrame::OnRun);
    connect(m_stopAction, &QAction::triggered, this, &CChildFrame::OnStop);
    // The progress shows and hides itself; the tool bar only shows the widgets of its actions.
    auto* holder = new QWidget(m_toolBar);
    auto* holderLayout = new QHBoxLayout(holder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    m_progressBar = new CProgressDlg(holder);
    holderLayout->addWidget(m_progressBar);
    m_toolBar->addWidget(holder);
}

void CChildFrame::CreatePanes()
{
    m_outer = new QSplitter(Qt::Vertical, this);
    m_inner = new QSplitter(Qt::Horizontal, m_outer);
    m_tree = new CLeftView(*m_document, m_inner);
    m_editor = new CTessellaView(m_inner);
    m_results = new CResultsView(m_document->RunDocument(), m_outer);
    m_document->AttachEditor(m_editor);
    m_editor->SetEditorFont(m_tree->font());
    m_outer->setChildrenCollapsible(false);
    m_inner->setChildrenCollapsible(false);
    // The upper panes at least 20 pixels high, the results at least 50.
    m_inner->setMinimumHeight(20);
    m_results->setMinimumHeight(50);
    m_inner->setSizes({100, 300});
    m_outer->setSizes({200, 200});
    m_splitMover = new CSplitterKeyboardMover(*this, *m_outer, *m_inner);
    m_activePane = m_editor;
    // A window that becomes active gives the keys to its SQL.
    setFocusProxy(m_editor);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_outer, 1);
}

void CChildFrame::ConnectDocument()
{
    connect(m_document, &CQueryDocument::titleChanged, this, &CChildFrame::UpdateTitle);
    connect(m_document, &CQueryDocument::modifiedChanged, this, &CChildFrame::UpdateTitle);
    connect(m_document, &CQueryDocument::updated, this,
            [this](QObject* sender, int hint, const CConnectionData* entry) {
                if (hint == CQueryDocument::kHintShowEntry && entry && sender != m_results) {
                    m_results->ShowEntry(*entry);
                }
                UpdateRunActions();
            });
    connect(m_tree, &CLeftView::scrollResultsTo, m_results, &CResultsView::ScrollToConnectionEnd);
    // Edits on the connection page: the tree rebuilds, Run follows, the title shows the mark.
    connect(m_results, &CResultsView::connectionsChanged, this,
            [this] { m_document->UpdateAllViews(m_results); });
    connect(m_results, &CResultsView::documentModified, this,
            [this] { m_document->SetModifiedFlag(true); });
    connect(m_results, &CResultsView::statusMessage, this, &CChildFrame::statusMessage);
    CHistoryRecorder::Options history;
    history.path = CRunHistory::DefaultPath();
    history.program = QStringLiteral("Tessella");
    // Read at each run's start, while the document is there.
    history.document = [document = m_document] { return document->PathName(); };
    m_document->RunDocument().SetRunListener(std::make_shared<CHistoryRecorder>(history));
    // Closing while a query runs waits behind the closing window.
    m_document->RunDocument().SetClosingWaiter(CDlgClosingThreads::Waiter(this));
    connect(m_editor, &CTessellaView::selectionChanged, this, &CChildFrame::commandStateChanged);
    connect(m_editor, &CTessellaView::textChanged, this, &CChildFrame::commandStateChanged);
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this,
                           [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
}

void CChildFrame::UpdateTitle()
{
    setWindowTitle(m_document->Title() + QStringLiteral("[*]"));
    setWindowModified(m_document->IsModified());
}

bool CChildFrame::CanRun() const
{
    return m_document->RunDocument().CanRun();
}

bool CChildFrame::CanStop() const
{
    return m_document->RunDocument().CanStop();
}

void CChildFrame::UpdateRunActions()
{
    m_runAction->setEnabled(CanRun());
    m_stopAction->setEnabled(CanStop());
    emit commandStateChanged();
}

void CChildFrame::OnRun()
{
    if (!CanRun()) {
        return;
    }
    CPasswordPrompter::Passwords passwords;
    if (!m_passwordPrompter.Collect(m_document->RunDocument().m_connections, this, passwords)) {
        return;
    }
    m_document->RunDocument().SetRunPasswords(passwords);
    m_document->RunDocument().StartRun(*m_editor, m_progressBar);
    UpdateRunActions();
    m_runWatch.start();
}

void CChildFrame::OnStop()
{
    m_document->RunDocument().StopRun(0);
}

void CChildFrame::WatchRun()
{
    if (m_document->RunDocument().IsIdle()) {
        m_runWatch.stop();
        m_tree->RefreshConnectedImages();
        UpdateRunActions();
    } else if (!m_stopAction->isEnabled()) {
        UpdateRunActions();
    }
}

QList<QWidget*> CChildFrame::Panes() const
{
    return {m_tree, m_editor, m_results};
}

void CChildFrame::OnFocusChanged(QWidget* now)
{
    for (QWidget* pane : Panes()) {
        if (now && (now == pane || pane->isAncestorOf(now))) {
            if (m_activePane != pane) {
                m_activePane = pane;
                emit commandStateChanged();
            }
            return;
        }
    }
}

CCommandTarget* CChildFrame::ActiveTarget() const
{
    return dynamic_cast<CCommandTarget*>(m_activePane.data());
}

void CChildFrame::ActivateNextPane(bool forward)
{
    const QList<QWidget*> panes = Panes();
    const qsizetype at = std::max<qsizetype>(0, panes.indexOf(m_activePane.data()));
    const qsizetype next = (at + (forward ? 1 : panes.size() - 1)) % panes.size();
    panes.at(next)->setFocus(Qt::OtherFocusReason);
    m_activePane = panes.at(next);
    emit commandStateChanged();
}

void CChildFrame::StartSplitTracking()
{
    m_splitMover->Start();
}

bool CChildFrame::Save()
{
    return CDocumentSaver(*m_document, this).DoFileSave();
}

bool CChildFrame::SaveAs()
{
    return CDocumentSaver(*m_document, this).DoSave(QString());
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (!CDocumentSaver(*m_document, this).SaveModified()) {
        event->ignore();
        return;
    }
    // A running query is stopped and waited for before the document goes.
    m_document->RunDocument().StopRun(1);
    event->accept();
    emit closed();
}
