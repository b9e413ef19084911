#include "results/CResultGridModel.h"

#include "results/CGridComparison.h"
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
    // A comparison holds to the sets it compared.
    m_comparison = nullptr;
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

void CResultGridModel::SetComparison(const CGridComparison* comparison)
{
    beginResetModel();
    m_comparison = comparison;
    Reorder();
    endResetModel();
}

void CResultGridModel::SetDifferencesOnly(bool on)
{
    if (on == m_differencesOnly) {
        return;
    }
    beginResetModel();
    m_differencesOnly = on;
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
    if (m_comparison && m_differencesOnly) {
        std::erase_if(m_order, [this](qint64 row) {
            const CGridRows::Source source = m_rows.SourceOf(row);
            return m_comparison->Mark(source.set, source.row) == CGridComparison::RowMark::Same;
        });
    }
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
    case Qt::ToolTipRole:
    case Qt::BackgroundRole: {
        const qint64 row = RowAt(index.row());
        const QVariant compared = ComparedData(row, index.column(), role);
        const QVariant plain = CellData(m_rows.CellAt(row, index.column()), index.column(), role);
        if (role == Qt::ToolTipRole && compared.isValid()) {
            return plain.isValid() ? compared.toString() + QStringLiteral("\n\n") + plain.toString()
                                   : compared;
        }
        // A cell the connection did not return stays hatched whatever the comparison says.
        return plain.isValid() ? plain : compared;
    }
    case Qt::DisplayRole:
    case Qt::ForegroundRole:
    case Qt::FontRole:
    case StateRole:
    case ValueRole:
    case CutRole:
        return CellData(m_rows.CellAt(RowAt(index.row()), index.column()), index.column(), role);
    default:
        return {};
    }
}

QVariant CResultGridModel::ComparedData(qint64 row, int column, int role) const
{
    if (!m_comparison) {
        return {};
    }
    using Mark = CGridComparison::RowMark;
    const CGridRows::Source source = m_rows.SourceOf(row);
    const Mark mark = m_comparison->Mark(source.set, source.row);
    if (mark == Mark::Same) {
        return {};
    }
    if (role == Qt::ToolTipRole) {
        const QString note = m_comparison->Note(source.set, source.row);
        return note.isEmpty() ? QVariant() : QVariant(note);
    }
    switch (mark) {
    case Mark::OnlyHere:
        return QBrush(QColor(198, 235, 198));
    case Mark::Missing:
        return QBrush(QColor(246, 200, 200));
    case Mark::Differs: {
        const int field = column == 0 ? -1 : m_rows.Columns().SourceColumn(source.set, column - 1);
        const bool differs = field >= 0 && m_comparison->Differs(source.set, source.row, field);
        return differs ? QBrush(QColor(255, 196, 120)) : QBrush(QColor(255, 243, 205));
    }
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
