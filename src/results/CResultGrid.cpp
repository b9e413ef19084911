#include "results/CResultGrid.h"

#include "results/CGridTable.h"
#include "results/CResultGridModel.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>

#include <algorithm>

namespace {

constexpr int kSampleRows = 200;
constexpr int kMinWidth = 40;
constexpr int kMaxWidth = 360;
constexpr int kPadding = 14;

} // namespace

CResultGrid::CResultGrid(QWidget* parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    horizontalHeader()->setHighlightSections(false);
    connect(horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            [this](int column, Qt::SortOrder order) {
                if (m_model && column >= 0) {
                    QApplication::setOverrideCursor(Qt::WaitCursor);
                    m_model->sort(column, order);
                    QApplication::restoreOverrideCursor();
                }
            });
    connect(this, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { emit rowOpened(index.row()); });
}

void CResultGrid::SetGridModel(CResultGridModel* model)
{
    m_model = model;
    setModel(model);
}

void CResultGrid::FitColumns()
{
    if (!m_model) {
        return;
    }
    const QFontMetrics metrics = fontMetrics();
    const QFontMetrics headerMetrics = horizontalHeader()->fontMetrics();
    const int rows = std::min(m_model->rowCount(), kSampleRows);
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const QString header = m_model->headerData(column, Qt::Horizontal).toString();
        // Room for the sort arrow beside the caption.
        int width = headerMetrics.horizontalAdvance(header) + 2 * kPadding;
        for (int row = 0; row < rows && width < kMaxWidth; ++row) {
            const QString text = m_model->index(row, column).data().toString();
            width = std::max(width, metrics.horizontalAdvance(text.left(kMaxWidth)) + kPadding);
        }
        setColumnWidth(column, std::clamp(width, kMinWidth, kMaxWidth));
    }
}

std::optional<CGridTable> CResultGrid::SelectedTable() const
{
    if (!m_model || !selectionModel() || !selectionModel()->hasSelection()) {
        return std::nullopt;
    }
    return CGridTable::FromSelection(*m_model, selectionModel()->selectedIndexes());
}

void CResultGrid::Copy()
{
    if (const std::optional<CGridTable> table = SelectedTable()) {
        QApplication::clipboard()->setMimeData(table->ToMimeData());
    }
}

void CResultGrid::CopyAs(ResultFormat format)
{
    if (const std::optional<CGridTable> table = SelectedTable()) {
        QApplication::clipboard()->setText(QString::fromUtf8(table->Text(format)));
    }
}

void CResultGrid::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::Copy) {
        Copy();
        return;
    }
    QTableView::keyPressEvent(event);
}

void CResultGrid::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    const bool any = selectionModel() && selectionModel()->hasSelection();
    QAction* copy = menu.addAction(tr("&Copy"), this, &CResultGrid::Copy);
    copy->setEnabled(any);
    QMenu* copyAs = menu.addMenu(tr("Copy &as"));
    copyAs->setEnabled(any);
    for (const auto& [caption, format] : CGridTable::CopyFormats()) {
        copyAs->addAction(caption, this, [this, format = format] { CopyAs(format); });
    }
    menu.addSeparator();
    QAction* open = menu.addAction(tr("&Open Row"), this, [this] {
        if (currentIndex().isValid()) {
            emit rowOpened(currentIndex().row());
        }
    });
    open->setEnabled(currentIndex().isValid());
    menu.exec(event->globalPos());
}
