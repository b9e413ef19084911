#pragma once

#include <QString>
#include <QStringList>

#include <vector>

class CResultSet;

// The columns of one result set as several connections gave it, merged by name without regard
// to case, in the order they were first seen (the first connection's columns, then any another
// one adds). For each connection, where each merged column is in its own rows, or that it has
// no such column.
class CMergedColumns
{
public:
    CMergedColumns() = default;
    explicit CMergedColumns(const std::vector<const CResultSet*>& sets);

    int Count() const { return int(m_names.size()); }
    const QString& Name(int column) const { return m_names[size_t(column)]; }
    // The column's place in the rows of set `set`; -1 when that connection did not return it.
    int SourceColumn(int set, int column) const { return m_sources[size_t(set)][size_t(column)]; }
    // The connections that did not return the column, in set order.
    const QStringList& Lacking(int column) const { return m_lacking[size_t(column)]; }

private:
    std::vector<QString> m_names;
    std::vector<std::vector<int>> m_sources; // by set, then merged column
    std::vector<QStringList> m_lacking;
};
