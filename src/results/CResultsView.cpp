#include "results/CResultsView.h"

#include "document/CConnectionData.h"
#include "execution/CTessellaDoc.h"
#include "results/CConnectionPage.h"
#include "results/CListEditCtrl.h"
#include "results/CResultGrid.h"
#include "results/CResultListModel.h"
#include "results/CResultSetsPage.h"
#include "results/CTabKeys.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kStatusMilliseconds = 500;

} // namespace

CResultsView::CResultsView(CTessellaDoc& document, QWidget* parent)
    : QWidget(parent), m_document(document)
{
    // Made here, not among the initializers: its ChildAdded event already reaches event(), which
    // reads the members declared after it.
    m_tabs = new QTabWidget(this);
    m_tabs->setTabPosition(QTabWidget::South);
    m_tabs->addTab(CreateResultsPage(), tr("All Results"));
    m_connectionPage = new CConnectionPage(m_document, m_tabs);
    m_tabs->addTab(m_connectionPage, tr("Connections"));
    m_setsPage = new CResultSetsPage(m_document, m_tabs);
    m_tabs->addTab(m_setsPage, tr("Result Sets"));
    connect(m_tabs, &QTabWidget::currentChanged, this, &CResultsView::OnTabChanged);
    new CTabKeys(m_tabs, this);
    connect(m_connectionPage, &CConnectionPage::connectionsChanged, this,
            &CResultsView::connectionsChanged);
    connect(m_connectionPage, &CConnectionPage::documentModified, this,
            &CResultsView::documentModified);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabs);
    setFocusProxy(m_list);

    m_document.SetResultsWindow(this);
    connect(&m_document, &CTessellaDoc::runStarting, this, &CResultsView::OnRunStarting);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &CResultsView::RefreshStatus);
    timer->start(kStatusMilliseconds);
}

QWidget* CResultsView::CreateResultsPage()
{
    auto* page = new QWidget(m_tabs);
    m_list = new CListEditCtrl(page);
    m_model = new CResultListModel(m_document, m_list);
    m_list->SetResultModel(m_model);
    connect(m_list, &CListEditCtrl::statusMessage, this, &CResultsView::statusMessage);
    m_autoScroll = new QCheckBox(tr("Auto scroll"), page);
    m_autoScroll->setChecked(m_model->ListState().AutoScroll());
    connect(m_autoScroll, &QCheckBox::toggled, this,
            [this](bool on) { m_model->ListState().SetAutoScroll(on); });
    m_status = new QLabel(page);

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(2, 0, 2, 0);
    bottom->setSpacing(5);
    bottom->addWidget(m_autoScroll);
    bottom->addWidget(m_status, 1);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);
    return page;
}

void CResultsView::OnRunStarting()
{
    m_model->ResetForRun();
    if (m_tabs->currentIndex() != 0) {
        m_tabs->setCurrentIndex(0);
    }
}

void CResultsView::OnTabChanged(int index)
{
    if (index == 1) {
        m_connectionPage->RefreshButtons();
    } else if (index == 2) {
        m_setsPage->Refresh();
    }
}

bool CResultsView::event(QEvent* event)
{
    // The pane gets events of its own while it makes its list, before there is a model.
    if (m_model && m_model->TakePosted(event)) {
        if (m_setsPage) {
            m_setsPage->NoteIntake();
        }
        return true;
    }
    return QWidget::event(event);
}

void CResultsView::ShowEntry(const CConnectionData& entry)
{
    m_connectionPage->WriteRecord(entry);
    if (m_tabs->currentIndex() == 1) {
        m_connectionPage->RefreshButtons();
    }
}

void CResultsView::ScrollToConnectionEnd(const QString& dataSource)
{
    if (!m_document.IsIdle()) {
        return;
    }
    const qsizetype end = m_document.Results().BlockEnd(dataSource);
    if (end <= 0) {
        return;
    }
    // After the events already waiting, so a pending count change comes first.
    QMetaObject::invokeMethod(
        m_list,
        [this, end] {
            if (end <= m_model->rowCount()) {
                m_list->scrollTo(m_model->index(int(end - 1), 0));
            }
        },
        Qt::QueuedConnection);
}

void CResultsView::RefreshStatus()
{
    m_model->TrimAfterRun();
    const qsizetype rows = m_document.Results().Count();
    if (rows == 0) {
        m_status->clear();
        return;
    }
    QString row = QStringLiteral("?");
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    if (!selected.isEmpty()) {
        int first = selected.first().row();
        for (const QModelIndex& index : selected) {
            first = std::min(first, index.row());
        }
        if (first < rows) {
            row = QString::number(first + 1);
        }
    }
    m_status->setText(QStringLiteral("%1 of %2").arg(row).arg(rows));
}

QString CResultsView::StatusText() const
{
    return m_status->text();
}

QWidget* CResultsView::FocusedPaneChild() const
{
    QWidget* focused = QApplication::focusWidget();
    if (!focused) {
        return nullptr;
    }
    // The list's own viewport or the row viewer count as the list or a text box.
    if (focused == m_list || isAncestorOf(focused)) {
        return focused;
    }
    return nullptr;
}

bool CResultsView::UpdateCommand(Command command, bool& enabled) const
{
    QWidget* focused = FocusedPaneChild();
    auto* edit = qobject_cast<QLineEdit*>(focused);
    const bool list = focused == m_list;
    const bool grid = m_setsPage && focused == m_setsPage->Grid();
    const bool writable = edit && !edit->isReadOnly();
    // A hidden text, the password, never goes to the clipboard. Qt refuses to copy it anyway,
    // but its Cut would then only delete what the user typed.
    const bool shown = edit && edit->echoMode() == QLineEdit::Normal;
    switch (command) {
    case Command::EditUndo:
    case Command::EditPaste:
        enabled = writable;
        return true;
    case Command::EditCut:
        enabled = writable && shown;
        return true;
    case Command::EditCopy:
        enabled = shown || list || grid;
        return true;
    case Command::EditSelectAll:
        enabled = edit || list || grid;
        return true;
    default:
        return false;
    }
}

bool CResultsView::RunCommand(Command command)
{
    bool enabled = false;
    if (!UpdateCommand(command, enabled)) {
        return false;
    }
    if (!enabled) {
        return true;
    }
    QWidget* focused = FocusedPaneChild();
    if (focused == m_list) {
        if (command == Command::EditCopy) {
            m_list->Copy();
        } else if (command == Command::EditSelectAll) {
            m_list->SelectAllRows();
        }
        return true;
    }
    if (focused == m_setsPage->Grid()) {
        if (command == Command::EditCopy) {
            m_setsPage->Grid()->Copy();
        } else if (command == Command::EditSelectAll) {
            m_setsPage->Grid()->selectAll();
        }
        return true;
    }
    auto* edit = qobject_cast<QLineEdit*>(focused);
    switch (command) {
    case Command::EditUndo:
        edit->undo();
        break;
    case Command::EditCut:
        edit->cut();
        break;
    case Command::EditCopy:
        edit->copy();
        break;
    case Command::EditPaste:
        edit->paste();
        break;
    case Command::EditSelectAll:
        edit->selectAll();
        break;
    default:
        break;
    }
    return true;
}
