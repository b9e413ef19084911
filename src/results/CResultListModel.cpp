#include "results/CResultListModel.h"

#include "execution/CRegisteredEvents.h"
#include "execution/CTessellaDoc.h"
#include "results/CKindIcons.h"

#include <QCoreApplication>

#include <new>

namespace {

QEvent::Type SetItemCount()
{
    return CRegisteredEvents::Type(QStringLiteral("LVM_SETITEMCOUNT"));
}
QEvent::Type EnsureVisible()
{
    return CRegisteredEvents::Type(QStringLiteral("LVM_ENSUREVISIBLE"));
}
QEvent::Type RedrawItems()
{
    return CRegisteredEvents::Type(QStringLiteral("LVM_REDRAWITEMS"));
}
QEvent::Type InsertColumns()
{
    return CRegisteredEvents::Type(QStringLiteral("LVM_INSERTCOLUMN"));
}

} // namespace

CResultListModel::CResultListModel(CTessellaDoc& document, QObject* parent)
    : QAbstractTableModel(parent), m_document(document)
{
}

int CResultListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shownRows;
}

int CResultListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shownColumns;
}

int CResultListModel::RealRows() const
{
    return static_cast<int>(m_document.Results().Count());
}

QVariant CResultListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::DecorationRole) {
        return {};
    }
    const int row = index.row();
    if (row >= RealRows()) {
        // A row that exists only because the announced count runs ahead.
        TrimTail();
        return {};
    }
    if (role == Qt::DecorationRole) {
        return index.column() == 0 ? QVariant(CKindIcons::ForKind(m_document.DisplayKind(row)))
                                   : QVariant();
    }
    if (index.column() == 0) {
        AskForColumns(m_document.FieldCount(row));
    }
    return CellText(row, index.column());
}

QString CResultListModel::CellText(int row, int column) const
{
    if (row < 0 || row >= RealRows()) {
        return {};
    }
    return m_document.DisplayText(row, column);
}

QVariant CResultListModel::headerData(int, Qt::Orientation, int role) const
{
    // The list's columns have no captions: column names are rows of their own.
    return role == Qt::DisplayRole ? QVariant(QString()) : QVariant();
}

void CResultListModel::ResetForRun()
{
    beginResetModel();
    m_shownRows = 0;
    m_shownColumns = std::clamp(m_shownColumns, 1, 3);
    m_state.Reset();
    endResetModel();
    for (QEvent::Type type : {SetItemCount(), EnsureVisible(), RedrawItems(), InsertColumns()}) {
        QCoreApplication::removePostedEvents(this, type);
    }
}

void CResultListModel::TrimAfterRun()
{
    const int rows = RealRows();
    if (m_shownRows > rows && m_document.IsIdle()) {
        m_state.TrimTo(rows);
        QCoreApplication::removePostedEvents(this, SetItemCount());
        ApplyRowCount(rows);
    }
}

bool CResultListModel::TakePosted(QEvent* event)
{
    const std::optional<CResultStore::IntakeResult> intake = m_document.IntakePosted(event);
    if (!intake) {
        return false;
    }
    try {
        BatchTaken(*intake);
    } catch (const std::bad_alloc&) {
        // Nothing may leave the event loop; the list catches up with the next batch.
        m_document.ResultBudget().NoteOutOfMemory();
    }
    return true;
}

void CResultListModel::BatchTaken(const CResultStore::IntakeResult& intake)
{
    const qsizetype rows = m_document.Results().Count();
    if (m_state.Grow(rows)) {
        CRegisteredEvents::Post(this, new CValueEvent(SetItemCount(), m_state.Announced()), true);
    }
    if (m_state.TakeScroll(rows)) {
        CRegisteredEvents::Post(this, new CValueEvent(EnsureVisible(), rows - 1), true);
        return;
    }
    const int visible = rows >= m_pageRows ? m_pageRows : static_cast<int>(rows);
    if (visible != 0 && intake.groupStart <= m_topRow + visible) {
        // Rows moved at or above the page's last row: what is shown changed.
        CRegisteredEvents::Post(this, new CValueEvent(RedrawItems(), m_topRow), true);
    }
}

void CResultListModel::SetVisibleRows(int top, int page)
{
    m_topRow = std::max(0, top);
    m_pageRows = std::max(0, page);
}

bool CResultListModel::event(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == SetItemCount()) {
        ApplyRowCount(static_cast<int>(static_cast<CValueEvent*>(event)->Value()));
    } else if (type == EnsureVisible()) {
        emit scrollRequested(static_cast<int>(static_cast<CValueEvent*>(event)->Value()));
    } else if (type == RedrawItems()) {
        const int top = static_cast<int>(static_cast<CValueEvent*>(event)->Value());
        RedrawPage(top, top + m_pageRows);
    } else if (type == InsertColumns()) {
        ApplyColumnCount(static_cast<int>(static_cast<CValueEvent*>(event)->Value()));
    } else {
        return QAbstractTableModel::event(event);
    }
    return true;
}

void CResultListModel::ApplyRowCount(int rows)
{
    if (rows > m_shownRows) {
        beginInsertRows({}, m_shownRows, rows - 1);
        m_shownRows = rows;
        endInsertRows();
    } else if (rows < m_shownRows) {
        beginRemoveRows({}, rows, m_shownRows - 1);
        m_shownRows = rows;
        endRemoveRows();
    }
}

void CResultListModel::ApplyColumnCount(int columns)
{
    if (columns <= m_shownColumns) {
        return;
    }
    beginInsertColumns({}, m_shownColumns, columns - 1);
    m_shownColumns = columns;
    endInsertColumns();
}

void CResultListModel::RedrawPage(int first, int last)
{
    const int lastRow = std::min(last, m_shownRows - 1);
    if (first > lastRow || m_shownColumns == 0) {
        return;
    }
    emit dataChanged(index(std::max(first, 0), 0), index(lastRow, m_shownColumns - 1));
}

void CResultListModel::AskForColumns(int columns) const
{
    if (columns > m_shownColumns) {
        // The model may not change its shape while the view paints.
        auto* self = const_cast<CResultListModel*>(this);
        CRegisteredEvents::Post(self, new CValueEvent(InsertColumns(), columns), true);
    }
}

void CResultListModel::TrimTail() const
{
    auto* self = const_cast<CResultListModel*>(this);
    const int rows = RealRows();
    if (m_document.IsIdle()) {
        self->m_state.TrimTo(rows);
        CRegisteredEvents::Post(self, new CValueEvent(SetItemCount(), rows), true);
        CRegisteredEvents::Post(self, new CValueEvent(EnsureVisible(), rows - 1), true);
    } else {
        const int last = m_pageRows < rows ? rows - m_pageRows : rows;
        CRegisteredEvents::Post(self, new CValueEvent(EnsureVisible(), last - 1), true);
    }
}
