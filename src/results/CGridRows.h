#pragma once

#include "results/CMergedColumns.h"

#include <QString>
#include <QtGlobal>

#include <vector>

class CResultSet;

// The rows of one result set of every connection that returned it, read in place from the
// store and numbered one after another (the first connection's rows, then the next one's): a
// grid of a million rows holds no copy of them. Column 0 is the connection, columns 1.. the
// merged columns.
class CGridRows
{
public:
    enum class State
    {
        Value,
        Null,
        Absent
    };
    struct Cell
    {
        QString text; // empty for NULL and absent
        State state = State::Absent;
        bool cut = false; // cut short at the long-text limit
    };
    struct Source
    {
        int set = 0;
        qsizetype row = 0;
    };

    CGridRows() = default;
    explicit CGridRows(std::vector<const CResultSet*> sets);

    const std::vector<const CResultSet*>& Sets() const { return m_sets; }
    const CMergedColumns& Columns() const { return m_columns; }
    // The connection column and the merged ones.
    int ColumnCount() const { return m_sets.empty() ? 0 : m_columns.Count() + 1; }
    // As the last Refresh counted them: the store goes on growing while a run goes on.
    qint64 Count() const { return m_starts.empty() ? 0 : m_starts.back(); }
    // Counts the rows that came in since; true when there are more.
    bool Refresh();

    Source SourceOf(qint64 row) const;
    Cell CellAt(qint64 row, int column) const;
    // The row's values joined by tabs, its connection first: what a filter searches.
    bool RowContains(qint64 row, const QString& needle) const;

private:
    std::vector<const CResultSet*> m_sets;
    CMergedColumns m_columns;
    std::vector<qint64> m_starts; // m_starts[s]: the first row of set s; one more at the end
};
