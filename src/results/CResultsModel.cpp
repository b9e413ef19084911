#include "CResultsModel.h"

#include "CTessellaDoc.h"

CResultsModel::CResultsModel(const CTessellaDoc& document, QObject* parent)
    : QAbstractTableModel(parent), m_document(document)
{
}

int CResultsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int CResultsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant CResultsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || index.row() >= m_rows) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return m_document.DisplayText(index.row(), index.column()).toString();
    case Qt::UserRole:
        return m_document.DisplayKind(index.row());
    default:
        return {};
    }
}

void CResultsModel::BeginInsertRows(qsizetype first, qsizetype count)
{
    m_insertFirst = first;
    m_insertCount = count;
    if (count > 0) {
        beginInsertRows({}, int(first), int(first + count - 1));
    }
}

void CResultsModel::EndInsertRows()
{
    if (m_insertCount <= 0) {
        return;
    }
    m_rows += int(m_insertCount);
    endInsertRows();
    int widest = m_columns;
    for (qsizetype row = m_insertFirst; row < m_insertFirst + m_insertCount; ++row) {
        widest = std::max(widest, m_document.FieldCount(row));
    }
    m_insertCount = 0;
    WidenTo(widest);
}

void CResultsModel::WidenTo(int columns)
{
    if (columns <= m_columns) {
        return;
    }
    beginInsertColumns({}, m_columns, columns - 1);
    m_columns = columns;
    endInsertColumns();
}

void CResultsModel::Reset()
{
    beginResetModel();
    m_rows = 0;
    m_columns = 1;
    endResetModel();
}
