#include "results/CMergedColumns.h"

#include "execution/CResultSet.h"

#include <QHash>

CMergedColumns::CMergedColumns(const std::vector<const CResultSet*>& sets)
{
    // Folded name -> the merged columns of that name: a name that one connection repeats
    // (two tables' "id") stays two columns, the n-th of that connection matched to the n-th.
    QHash<QString, std::vector<int>> byName;
    m_sources.resize(sets.size());
    for (size_t s = 0; s < sets.size(); ++s) {
        const QStringList& columns = sets[s]->Columns();
        QHash<QString, size_t> seen;
        std::vector<int> merged(size_t(columns.size()));
        for (int c = 0; c < columns.size(); ++c) {
            const QString key = columns[c].toCaseFolded();
            std::vector<int>& named = byName[key];
            const size_t occurrence = seen[key]++;
            if (occurrence == named.size()) {
                named.push_back(int(m_names.size()));
                m_names.push_back(columns[c]);
            }
            merged[size_t(c)] = named[occurrence];
        }
        m_sources[s].assign(m_names.size(), -1);
        for (int c = 0; c < columns.size(); ++c) {
            m_sources[s][size_t(merged[size_t(c)])] = c;
        }
    }
    m_lacking.resize(m_names.size());
    for (size_t s = 0; s < sets.size(); ++s) {
        m_sources[s].resize(m_names.size(), -1);
        for (size_t column = 0; column < m_names.size(); ++column) {
            if (m_sources[s][column] < 0) {
                m_lacking[column] << sets[s]->Connection();
            }
        }
    }
}
