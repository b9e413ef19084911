#include "execution/CResultStore.h"

#include "execution/CPostElemArray.h"

#include <algorithm>
#include <iterator>

CResultStore::IntakeResult CResultStore::Intake(CPostElemArray& batch)
{
    const qsizetype countBefore = m_count;
    qsizetype groupIndex = m_groupIndex.value(batch.m_connectionName, -1);
    const qsizetype groupStart = groupIndex < 0 ? m_count : GroupEnd(m_groups[size_t(groupIndex)]);
    if (groupIndex < 0) {
        groupIndex = OpenGroup(batch.m_connectionName);
    }

    // Copied where they are: a batch's texts may be borrowed from its own blocks, which its
    // thread frees or reuses once the batch is handled.
    const CElemArray::Elements& elements = batch.All();
    CPackedRows& rows = m_groups[size_t(groupIndex)].rows;
    const CPackedRows::Mark before = rows.Position();
    try {
        for (const CBufferElem& element : elements) {
            rows.Append(element.m_kind, element.m_text);
        }
    } catch (...) {
        rows.RollBack(before);
        batch.RemoveAllElements();
        throw;
    }
    const qsizetype inserted = qsizetype(elements.size());
    batch.RemoveAllElements();
    m_count += inserted;
    ShiftGroupsAfter(groupIndex, m_count - countBefore);
    return {groupStart, inserted};
}

CPackedRows::RowView CResultStore::At(qsizetype row) const
{
    Q_ASSERT(row >= 0 && row < m_count);
    // The first group starting after `row` follows the one holding it.
    const auto after = std::upper_bound(m_groups.begin(), m_groups.end(), row,
                                        [](qsizetype r, const Group& g) { return r < g.start; });
    const Group& group = *std::prev(after);
    return group.rows.At(row - group.start);
}

qsizetype CResultStore::BlockEnd(const QString& connection) const
{
    const qsizetype groupIndex = m_groupIndex.value(connection, -1);
    return groupIndex < 0 ? -1 : GroupEnd(m_groups[size_t(groupIndex)]);
}

qint64 CResultStore::AllocatedBytes() const
{
    qint64 bytes = 0;
    for (const Group& group : m_groups) {
        bytes += group.rows.AllocatedBytes();
    }
    return bytes;
}

void CResultStore::Clear()
{
    m_groups.clear();
    m_groupIndex.clear();
    m_count = 0;
}

qsizetype CResultStore::GroupEnd(const Group& group)
{
    return group.start + group.rows.Count();
}

qsizetype CResultStore::OpenGroup(const QString& connection)
{
    const qsizetype groupIndex = qsizetype(m_groups.size());
    Group& group = m_groups.emplace_back();
    group.start = m_count;
    // A group without its title row, or without its index entry, would misnumber every row.
    try {
        group.rows.Append(ElemConnection, connection);
        m_groupIndex.insert(connection, groupIndex);
    } catch (...) {
        m_groups.pop_back();
        throw;
    }
    ++m_count;
    return groupIndex;
}

void CResultStore::ShiftGroupsAfter(qsizetype groupIndex, qsizetype rows)
{
    for (size_t i = size_t(groupIndex) + 1; i < m_groups.size(); ++i) {
        m_groups[i].start += rows;
    }
}
