#include "app/CMainFrame.h"

#include "app/CCommandActions.h"
#include "app/CHelpCommands.h"
#include "app/CMainMenus.h"
#include "app/CMdiArranger.h"
#include "appbase/CCommandTarget.h"
#include "appbase/CMessageStrings.h"
#include "views/CChildFrame.h"
#include "views/CDlgExportResults.h"
#include "views/CQueryDocument.h"
#include "views/CTessellaView.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>

namespace {

const Command kEditCommands[] = {Command::EditUndo,  Command::EditCut,       Command::EditCopy,
                                 Command::EditPaste, Command::PasteFromFile, Command::EditSelectAll,
                                 Command::EditFind,  Command::EditFindNext,  Command::EditReplace};

// Commands that need a document window and nothing more.
const Command kWindowCommands[] = {Command::FileClose,          Command::FileSave,
                                   Command::FileSaveAs,         Command::FileExportResults,
                                   Command::FilePrint,          Command::FilePrintPreview,
                                   Command::WindowCascade,      Command::WindowTileHorizontal,
                                   Command::WindowTileVertical, Command::WindowArrange,
                                   Command::WindowSplit,        Command::NextPane,
                                   Command::PreviousPane};

QStringList LocalFiles(const QMimeData* data)
{
    QStringList files;
    if (data && data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) {
                files << url.toLocalFile();
            }
        }
    }
    return files;
}

} // namespace

CMainFrame::CMainFrame(QWidget* parent)
    : QMainWindow(parent), m_area(new QMdiArea(this)),
      m_actions(std::make_unique<CCommandActions>(*this))
{
    setWindowTitle(CMessageStrings::Text(MsgAppTitle));
    setAcceptDrops(true);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    m_menus = new CMainMenus(*this, *m_area, *m_actions);
    CreateToolBar();
    CreateStatusBar();
    ConnectDocumentCommands();
    m_help = new CHelpCommands(*this);
    connect(m_menus, &CMainMenus::aboutToShowMenu, this, &CMainFrame::UpdateCommands);
    connect(m_area, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateCommands);
    resize(1100, 760);
    UpdateCommands();
}

CMainFrame::~CMainFrame()
{
    // The windows closed while this frame goes must not update commands that are gone.
    disconnect(m_area, nullptr, this, nullptr);
    if (m_watchedChild) {
        disconnect(m_watchedChild, nullptr, this, nullptr);
    }
}

QAction* CMainFrame::Action(Command command) const
{
    return m_actions->Action(command);
}

CChildFrame* CMainFrame::ActiveChild() const
{
    // The current window stays current while the application is not active.
    QMdiSubWindow* window = m_area->currentSubWindow();
    return window ? qobject_cast<CChildFrame*>(window->widget()) : nullptr;
}

void CMainFrame::CreateToolBar()
{
    m_toolBar = addToolBar(tr("Standard"));
    m_toolBar->setObjectName(QStringLiteral("MainToolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    const QList<QList<Command>> groups = {{Command::FileNew, Command::FileOpen, Command::FileSave},
                                          {Command::EditCut, Command::EditCopy, Command::EditPaste},
                                          {Command::Options, Command::FilePrint},
                                          {Command::AppAbout, Command::ContextHelp}};
    for (const QList<Command>& group : groups) {
        if (!m_toolBar->actions().isEmpty()) {
            m_toolBar->addSeparator();
        }
        for (Command command : group) {
            m_toolBar->addAction(Action(command));
        }
    }
    QAction* toggle = Action(Command::ViewToolBar);
    connect(toggle, &QAction::toggled, m_toolBar, &QToolBar::setVisible);
    connect(m_toolBar, &QToolBar::visibilityChanged, toggle, &QAction::setChecked);
}

void CMainFrame::CreateStatusBar()
{
    // Shown whenever no command's status text is.
    m_idleText = new QLabel(CMessageStrings::Text(MsgIdleText), this);
    statusBar()->addWidget(m_idleText, 1);
    QAction* toggle = Action(Command::ViewStatusBar);
    connect(toggle, &QAction::toggled, statusBar(), &QStatusBar::setVisible);
}

void CMainFrame::ConnectDocumentCommands()
{
    for (Command command : kWindowCommands) {
        connect(Action(command), &QAction::triggered, this,
                [this, command] { OnDocumentCommand(command); });
    }
    for (Command command : {Command::QueryRun, Command::QueryStop}) {
        connect(Action(command), &QAction::triggered, this,
                [this, command] { OnDocumentCommand(command); });
    }
    for (Command command : kEditCommands) {
        connect(Action(command), &QAction::triggered, this,
                [this, command] { OnEditCommand(command); });
    }
    connect(Action(Command::FilePrintSetup), &QAction::triggered, this,
            [this] { m_printer.SetUp(this); });
    connect(Action(Command::AppExit), &QAction::triggered, this, &QWidget::close);
}

void CMainFrame::OnDocumentCommand(Command command)
{
    CChildFrame* child = ActiveChild();
    if (!child) {
        return;
    }
    switch (command) {
    case Command::QueryRun:
        child->OnRun();
        break;
    case Command::QueryStop:
        child->OnStop();
        break;
    case Command::FileClose:
        m_area->currentSubWindow()->close();
        break;
    case Command::FileSave:
        child->Save();
        break;
    case Command::FileSaveAs:
        child->SaveAs();
        break;
    case Command::FileExportResults:
        ExportResults(*child);
        break;
    case Command::FilePrint:
        m_printer.Print(*child->Editor(), this);
        break;
    case Command::FilePrintPreview:
        m_printer.Preview(*child->Editor(), this);
        break;
    case Command::WindowCascade:
        m_area->cascadeSubWindows();
        break;
    case Command::WindowTileHorizontal:
        CMdiArranger::TileHorizontally(*m_area);
        break;
    case Command::WindowTileVertical:
        CMdiArranger::TileVertically(*m_area);
        break;
    case Command::WindowArrange:
        CMdiArranger::ArrangeIcons(*m_area);
        break;
    case Command::WindowSplit:
        child->StartSplitTracking();
        break;
    case Command::NextPane:
    case Command::PreviousPane:
        child->ActivateNextPane(command == Command::NextPane);
        break;
    default:
        break;
    }
    UpdateCommands();
}

void CMainFrame::OnEditCommand(Command command)
{
    CChildFrame* child = ActiveChild();
    CCommandTarget* target = child ? child->ActiveTarget() : nullptr;
    bool enabled = false;
    if (target && target->UpdateCommand(command, enabled) && enabled) {
        target->RunCommand(command);
    }
    UpdateCommands();
}

void CMainFrame::UpdateCommands()
{
    const CChildFrame* child = ActiveChild();
    for (Command command : kWindowCommands) {
        Action(command)->setEnabled(child != nullptr);
    }
    Action(Command::QueryRun)->setEnabled(child && child->CanRun());
    Action(Command::QueryStop)->setEnabled(child && child->CanStop());
    const CCommandTarget* target = child ? child->ActiveTarget() : nullptr;
    for (Command command : kEditCommands) {
        bool enabled = false;
        Action(command)->setEnabled(target && target->UpdateCommand(command, enabled) && enabled);
    }
    m_menus->ShowDocumentMenus(child != nullptr);
}

void CMainFrame::OnSubWindowActivated()
{
    CChildFrame* child = ActiveChild();
    if (child != m_watchedChild) {
        if (m_watchedChild) {
            disconnect(m_watchedChild, nullptr, this, nullptr);
            disconnect(&m_watchedChild->Document(), nullptr, this, nullptr);
        }
        m_watchedChild = child;
        if (child) {
            connect(child, &CChildFrame::commandStateChanged, this, &CMainFrame::UpdateCommands);
            connect(child, &CChildFrame::statusMessage, this, [this](const QString& text) {
                if (text.isEmpty()) {
                    statusBar()->clearMessage();
                } else {
                    statusBar()->showMessage(text);
                }
                // The copy that reports goes on at once; show the text now.
                statusBar()->repaint();
            });
            connect(&child->Document(), &CQueryDocument::titleChanged, this,
                    &CMainFrame::UpdateTitle);
        }
    }
    UpdateTitle();
    UpdateCommands();
}

void CMainFrame::UpdateTitle()
{
    const CChildFrame* child = ActiveChild();
    const QString name = CMessageStrings::Text(MsgAppTitle);
    setWindowTitle(child ? name + QStringLiteral(" - ") + child->Document().Title() : name);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (!LocalFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QStringList files = LocalFiles(event->mimeData());
    if (files.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    activateWindow();
    emit filesDropped(files);
}

bool CMainFrame::CloseAllDocuments()
{
    // The first Cancel ends the closing; the windows after it stay untouched.
    for (QMdiSubWindow* window : m_area->subWindowList()) {
        if (!window->close()) {
            return false;
        }
    }
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!CloseAllDocuments()) {
        event->ignore();
        return;
    }
    event->accept();
}

void CMainFrame::ExportResults(CChildFrame& child)
{
    const CTessellaDoc& run = child.Document().RunDocument();
    if (!run.IsIdle()) {
        QMessageBox::information(this, tr("Export Results"),
                                 tr("The results can be exported once the run has ended."));
        return;
    }
    CDlgExportResults dialog(run.Results(), this);
    dialog.exec();
}
