#include "execution/CResultSet.h"

#include <algorithm>
#include <iterator>
#include <utility>

CResultSet::CResultSet(QString connection, int batch, int result, QStringList columns,
                       const CPackedRows& rows)
    : m_connection(std::move(connection)), m_batch(batch), m_result(result),
      m_columns(std::move(columns)), m_rows(&rows)
{
}

qsizetype CResultSet::GroupRow(qsizetype row) const
{
    Q_ASSERT(row >= 0 && row < m_rowCount);
    const auto after = std::upper_bound(m_runs.begin(), m_runs.end(), row,
                                        [](qsizetype r, const Run& run) { return r < run.before; });
    const Run& run = *std::prev(after);
    return run.firstGroupRow + (row - run.before);
}

void CResultSet::AddRow(qsizetype groupRow)
{
    if (!m_runs.empty()) {
        Run& last = m_runs.back();
        if (last.firstGroupRow + last.count == groupRow) {
            ++last.count;
            ++m_rowCount;
            return;
        }
    }
    m_runs.push_back({groupRow, 1, m_rowCount});
    ++m_rowCount;
}

CResultSet::Mark CResultSet::Position() const
{
    return {m_runs.size(), m_runs.empty() ? 0 : m_runs.back().count, m_rowCount};
}

void CResultSet::RollBack(const Mark& mark)
{
    m_runs.resize(mark.runs);
    if (!m_runs.empty()) {
        m_runs.back().count = mark.lastRunCount;
    }
    m_rowCount = mark.rowCount;
}
