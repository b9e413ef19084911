#include "results/CListEditCtrl.h"

#include "appbase/CWaitCursor.h"
#include "results/CCopyInterruption.h"
#include "results/CLVEdit.h"
#include "results/CResultListModel.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>

namespace {

// The copy shows its progress and looks for a key press every so many rows.
constexpr int kCopyStep = 100;
constexpr int kColumnWidth = 100;

// The selected rows in list order.
std::vector<int> SelectedRows(const QItemSelection& selection)
{
    std::vector<int> rows;
    for (const QItemSelectionRange& range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            rows.push_back(row);
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

} // namespace

CListEditCtrl::CListEditCtrl(QWidget* parent)
    : QTableView(parent), m_viewer(new CLVEdit(viewport()))
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setShowGrid(true);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideRight);
    verticalHeader()->hide();
    // Rows of one height, never measured: a million rows cost nothing to lay out.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    setIconSize(QSize(16, 16));
    connect(m_viewer, &CLVEdit::closed, this, [this] { setFocus(Qt::OtherFocusReason); });
}

void CListEditCtrl::SetResultModel(CResultListModel* model)
{
    m_model = model;
    setModel(model);
    connect(model, &CResultListModel::scrollRequested, this, [this](int row) {
        if (row >= 0 && row < m_model->rowCount()) {
            scrollTo(m_model->index(row, 0), QAbstractItemView::EnsureVisible);
        }
    });
    // After the header's own connection: the new sections exist by then.
    connect(model, &QAbstractItemModel::columnsInserted, this, &CListEditCtrl::WidenNewColumns);
    ReportVisibleRows();
}

void CListEditCtrl::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    ReportVisibleRows();
}

void CListEditCtrl::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    ReportVisibleRows();
}

bool CListEditCtrl::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip) {
        return QTableView::viewportEvent(event);
    }
    auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString text = index.isValid() ? CutCellText(index) : QString();
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        // Tied to the cell: the tip goes as soon as the mouse leaves it.
        QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index));
    }
    return true;
}

QString CListEditCtrl::CutCellText(const QModelIndex& index) const
{
    // What the delegate would need to paint the cell whole, icon and margins included, against
    // what the column gives it: it elides the text exactly when the first is wider.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QRect cell = visualRect(index);
    option.rect = cell;
    const int wanted = itemDelegateForIndex(index)->sizeHint(option, index).width();
    if (wanted <= cell.width()) {
        return {};
    }
    return index.data(Qt::DisplayRole).toString();
}

void CListEditCtrl::ReportVisibleRows()
{
    if (!m_model) {
        return;
    }
    const int rowHeight = std::max(1, verticalHeader()->defaultSectionSize());
    m_model->SetVisibleRows(rowAt(0), viewport()->height() / rowHeight);
}

void CListEditCtrl::WidenNewColumns()
{
    for (int column = 0; column < m_model->columnCount(); ++column) {
        if (horizontalHeader()->sectionSize(column) == 0) {
            setColumnWidth(column, kColumnWidth);
        }
    }
}

QString CListEditCtrl::SelectedRowsText(bool* aborted)
{
    if (aborted) {
        *aborted = false;
    }
    if (!m_model || !selectionModel()) {
        return {};
    }
    // Rows of the announced tail that do not exist yet are not copied.
    std::vector<int> rows = SelectedRows(selectionModel()->selection());
    const int realRows = m_model->RealRows();
    rows.erase(std::lower_bound(rows.begin(), rows.end(), realRows), rows.end());
    const int columns = m_model->columnCount();
    const int total = static_cast<int>(rows.size());
    QString text;
    bool stopped = false;
    {
        const CWaitCursor waitCursor;
        CCopyInterruption interruption;
        for (int k = 0; k < total; ++k) {
            const int row = rows[static_cast<std::size_t>(k)];
            if (k % kCopyStep == 0) {
                emit statusMessage(
                    QStringLiteral("Press any key to abort. row: %1 of %2").arg(row).arg(total));
                if (interruption.KeyPressed()) {
                    stopped = true;
                    break;
                }
            }
            // Every row but the first starts a line, even when the row before was empty.
            if (k > 0) {
                text += u'\n';
            }
            for (int column = 0; column < columns; ++column) {
                if (column > 0) {
                    text += u'\t';
                }
                text += m_model->CellText(row, column);
            }
        }
    }
    emit statusMessage(QString());
    if (aborted) {
        *aborted = stopped;
    }
    return stopped ? QString() : text;
}

bool CListEditCtrl::Copy()
{
    bool aborted = false;
    const QString text = SelectedRowsText(&aborted);
    if (aborted || text.isEmpty()) {
        return false;
    }
    QGuiApplication::clipboard()->setText(text);
    return true;
}

void CListEditCtrl::SelectAllRows()
{
    const CWaitCursor waitCursor;
    selectAll();
}

QString CListEditCtrl::RowText(int row) const
{
    if (!m_model) {
        return {};
    }
    QStringList cells;
    for (int column = 0; column < m_model->columnCount(); ++column) {
        cells << m_model->CellText(row, column);
    }
    return cells.join(u' ');
}

void CListEditCtrl::OpenRowViewer(int row)
{
    if (!m_model || row < 0 || row >= m_model->rowCount()) {
        return;
    }
    const int last = m_model->columnCount() - 1;
    const int right = columnViewportPosition(last) + columnWidth(last);
    const QRect rowRect(0, rowViewportPosition(row), right, rowHeight(row));
    m_viewer->Open(RowText(row), rowRect, std::max(right, 50));
}

void CListEditCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid()) {
        OpenRowViewer(index.row());
    }
}
