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
    Group& group = m_groups[size_t(groupIndex)];
    CPackedRows& rows = group.rows;
    const CPackedRows::Mark before = rows.Position();
    const qsizetype firstRow = rows.Count();
    const ShapeMark shapeBefore = ShapePosition(group);
    try {
        const CMarkTable& marks = batch.Marks();
        qsizetype nextMarked = 0; // the batch's marks are in element order
        for (qsizetype i = 0; i < qsizetype(elements.size()); ++i) {
            CMarkTable::Marks rowMarks;
            if (nextMarked < marks.Count() && marks.RowAt(nextMarked) == i) {
                rowMarks = marks.MarksAt(nextMarked++);
            }
            rows.Append(elements[size_t(i)].m_kind, elements[size_t(i)].m_text, rowMarks);
        }
        TakeShape(group, batch, firstRow);
    } catch (...) {
        RollBackShape(group, shapeBefore);
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

void CResultStore::TakeShape(Group& group, const CPostElemArray& batch, qsizetype firstRow)
{
    const CElemArray::Elements& elements = batch.All();
    const std::vector<CPostElemArray::SetStart>& starts = batch.SetStarts();
    auto nextStart = starts.begin();
    for (qsizetype i = 0; i < qsizetype(elements.size()); ++i) {
        if (nextStart != starts.end() && nextStart->element == i) {
            m_sets.emplace_back(batch.m_connectionName, nextStart->batch, nextStart->result,
                                elements[size_t(i)].m_text.split(u'\t'), group.rows);
            group.currentSet = qsizetype(m_sets.size()) - 1;
            ++nextStart;
        } else if (elements[size_t(i)].m_kind == ElemRow && group.currentSet >= 0) {
            m_sets[size_t(group.currentSet)].AddRow(firstRow + i);
        }
    }
}

CResultStore::ShapeMark CResultStore::ShapePosition(const Group& group) const
{
    ShapeMark mark{qsizetype(m_sets.size()), group.currentSet, {}};
    if (group.currentSet >= 0) {
        mark.current = m_sets[size_t(group.currentSet)].Position();
    }
    return mark;
}

void CResultStore::RollBackShape(Group& group, const ShapeMark& mark)
{
    m_sets.erase(m_sets.begin() + mark.sets, m_sets.end());
    group.currentSet = mark.currentSet;
    if (mark.currentSet >= 0) {
        m_sets[size_t(mark.currentSet)].RollBack(mark.current);
    }
}

const CResultStore::Group& CResultStore::GroupOf(qsizetype row) const
{
    Q_ASSERT(row >= 0 && row < m_count);
    // The first group starting after `row` follows the one holding it.
    const auto after = std::upper_bound(m_groups.begin(), m_groups.end(), row,
                                        [](qsizetype r, const Group& g) { return r < g.start; });
    return *std::prev(after);
}

CPackedRows::RowView CResultStore::At(qsizetype row) const
{
    const Group& group = GroupOf(row);
    return group.rows.At(row - group.start);
}

CMarkTable::Marks CResultStore::MarksAt(qsizetype row) const
{
    const Group& group = GroupOf(row);
    return group.rows.Marks(row - group.start);
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
    m_sets.clear();
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
