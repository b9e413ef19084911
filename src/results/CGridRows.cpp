#include "results/CGridRows.h"

#include "execution/CResultSet.h"

#include <algorithm>

CGridRows::CGridRows(std::vector<const CResultSet*> sets)
    : m_sets(std::move(sets)), m_columns(m_sets)
{
    Refresh();
}

bool CGridRows::Refresh()
{
    const qint64 before = Count();
    m_starts.assign(1, 0);
    for (const CResultSet* set : m_sets) {
        m_starts.push_back(m_starts.back() + set->RowCount());
    }
    return Count() > before;
}

CGridRows::Source CGridRows::SourceOf(qint64 row) const
{
    const auto next = std::upper_bound(m_starts.begin(), m_starts.end(), row);
    const int set = int(next - m_starts.begin()) - 1;
    return {set, qsizetype(row - m_starts[size_t(set)])};
}

CGridRows::Cell CGridRows::CellAt(qint64 row, int column) const
{
    const Source source = SourceOf(row);
    const CResultSet& set = *m_sets[size_t(source.set)];
    if (column == 0) {
        return {set.Connection(), State::Value, false};
    }
    const int field = m_columns.SourceColumn(source.set, column - 1);
    if (field < 0) {
        return {};
    }
    const CMarkTable::Marks marks = set.Marks(source.row);
    if (marks.IsNull(field)) {
        return {QString(), State::Null, false};
    }
    return {set.Value(source.row, field), State::Value, marks.IsCut(field)};
}

bool CGridRows::RowContains(qint64 row, const QString& needle) const
{
    const Source source = SourceOf(row);
    const CResultSet& set = *m_sets[size_t(source.set)];
    // A needle without a tab cannot match across two values of the row's text.
    return set.Connection().contains(needle, Qt::CaseInsensitive) ||
           set.Row(source.row).Text().contains(needle, Qt::CaseInsensitive);
}
