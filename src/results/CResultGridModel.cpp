#include "results/CResultGridModel.h"

#include "results/CGridRowOrder.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include <limits>

namespace {

constexpr int kMaxShownRows = std::numeric_limits<int>::max();

int Shown(qint64 rows)
{
    return int(std::min<qint64>(rows, kMaxShownRows));
}

QString OneLine(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

} // namespace

CResultGridModel::CResultGridModel(QObject* parent) : QAbstractTableModel(parent)
{
}

void CResultGridModel::SetSets(std::vector<const CResultSet*> sets, bool keepOrder)
{
    beginResetModel();
    m_rows = CGridRows(std::move(sets));
    if (!keepOrder || m_sortColumn >= m_rows.ColumnCount()) {
        m_sortColumn = -1;
    }
    Reorder();
    endResetModel();
}

void CResultGridModel::Clear()
{
    SetSets({}, false);
}

void CResultGridModel::TakeNewRows()
{
    if (!m_rows.Refresh() || Ordered()) {
        return;
    }
    const int shown = Shown(m_rows.Count());
    if (shown > m_shown) {
        beginInsertRows({}, m_shown, shown - 1);
        m_shown = shown;
        endInsertRows();
    }
}

qint64 CResultGridModel::RowAt(int row) const
{
    return Ordered() ? m_order[size_t(row)] : qint64(row);
}

QString CResultGridModel::ColumnName(int column) const
{
    if (column == 0) {
        return tr("Connection");
    }
    return m_rows.Columns().Name(column - 1);
}

void CResultGridModel::SetFilter(const QString& text)
{
    if (text == m_filter) {
        return;
    }
    beginResetModel();
    m_filter = text;
    Reorder();
    endResetModel();
}

void CResultGridModel::sort(int column, Qt::SortOrder order)
{
    beginResetModel();
    m_sortColumn = column;
    m_sortOrder = order;
    Reorder();
    endResetModel();
}

void CResultGridModel::Reorder()
{
    m_rows.Refresh();
    if (!Ordered()) {
        m_order = {};
        m_shown = Shown(m_rows.Count());
        return;
    }
    m_order = GridRowOrder::Filter(m_rows, GridRowOrder::All(m_rows.Count()), m_filter);
    GridRowOrder::Sort(m_rows, m_order, m_sortColumn, m_sortOrder);
    m_shown = Shown(qint64(m_order.size()));
}

int CResultGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_shown;
}

int CResultGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.ColumnCount();
}

QVariant CResultGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_shown) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
    case Qt::ForegroundRole:
    case Qt::BackgroundRole:
    case Qt::FontRole:
    case StateRole:
    case ValueRole:
    case CutRole:
        return CellData(m_rows.CellAt(RowAt(index.row()), index.column()), index.column(), role);
    default:
        return {};
    }
}

QVariant CResultGridModel::CellData(const CGridRows::Cell& cell, int column, int role) const
{
    using State = CGridRows::State;
    switch (role) {
    case Qt::DisplayRole:
        if (cell.state == State::Null) {
            return QStringLiteral("NULL");
        }
        return cell.cut ? OneLine(cell.text) + QStringLiteral("…") : OneLine(cell.text);
    case Qt::ToolTipRole:
        if (cell.state == State::Absent) {
            return tr("This connection returned no column \"%1\".").arg(ColumnName(column));
        }
        if (cell.state == State::Null) {
            return QStringLiteral("NULL");
        }
        if (cell.cut) {
            return tr("%1\n\n(Cut at the long-text limit: the value is longer.)").arg(cell.text);
        }
        return cell.text.isEmpty() ? QVariant() : QVariant(cell.text);
    case Qt::ForegroundRole:
        return cell.state == State::Null ? QVariant(QBrush(QColor(128, 128, 128))) : QVariant();
    case Qt::BackgroundRole:
        return cell.state == State::Absent
                   ? QVariant(QBrush(QColor(175, 175, 175), Qt::BDiagPattern))
                   : QVariant();
    case Qt::FontRole:
        if (cell.state == State::Null) {
            QFont italic;
            italic.setItalic(true);
            return italic;
        }
        return {};
    case StateRole:
        return int(cell.state);
    case ValueRole:
        return cell.text;
    case CutRole:
        return cell.cut;
    default:
        return {};
    }
}

QVariant CResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical) {
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    }
    if (section < 0 || section >= m_rows.ColumnCount()) {
        return {};
    }
    const QStringList lacking =
        section == 0 ? QStringList() : m_rows.Columns().Lacking(section - 1);
    if (role == Qt::DisplayRole) {
        if (lacking.isEmpty()) {
            return ColumnName(section);
        }
        const QString where =
            lacking.size() == 1 ? lacking.first() : tr("%1 connections").arg(lacking.size());
        return tr("%1 (not in %2)").arg(ColumnName(section), where);
    }
    if (role == Qt::ToolTipRole && !lacking.isEmpty()) {
        return tr("Not returned by: %1").arg(lacking.join(QStringLiteral(", ")));
    }
    return {};
}
