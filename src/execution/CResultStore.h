#pragma once

#include "execution/CBufferElem.h"
#include "execution/CMarkTable.h"
#include "execution/CPackedRows.h"
#include "execution/CResultSet.h"

#include <QHash>
#include <QString>
#include <QtGlobal>

#include <deque>

class CPostElemArray;

// The document's result rows, grouped by connection: each connection's rows stay together under
// one title row (an ElemConnection element holding the connection name), the groups in the order
// in which each connection's first batch arrived. Rows are numbered across all groups, title rows
// included. User-interface thread only.
class CResultStore
{
public:
    // groupStart: the first row that changed, the old end of the batch's group or, for a new
    // connection, the row of its new title. inserted: the batch's element count, not counting a
    // new title row (so Count() grew by inserted + 1 for a new connection).
    struct IntakeResult
    {
        qsizetype groupStart;
        qsizetype inserted;
    };

    CResultStore() = default;
    CResultStore(const CResultStore&) = delete;
    CResultStore& operator=(const CResultStore&) = delete;
    CResultStore(CResultStore&&) noexcept = default;
    CResultStore& operator=(CResultStore&&) noexcept = default;

    // Copies every element of `batch`, in order, to the end of the group of its m_connectionName
    // (exact comparison), opening a new group when there is none. The batch is left empty; its
    // m_handled is the caller's to set. When an allocation fails, std::bad_alloc leaves the
    // store as it was, but for a new group's title row, and the batch's elements are gone.
    IntakeResult Intake(CPostElemArray& batch);

    qsizetype Count() const { return m_count; }
    // `row` must be in 0 .. Count() - 1. The view lives until the next Clear().
    CPackedRows::RowView At(qsizetype row) const;
    // Bytes allocated for the rows.
    qint64 AllocatedBytes() const;
    // One past the last row of the connection's group; -1 when it has none.
    qsizetype BlockEnd(const QString& connection) const;
    // The result sets of every group in the order their headers came in, each with the rows
    // that followed its header in its group; valid until the next Clear().
    qsizetype ResultSetCount() const { return qsizetype(m_sets.size()); }
    const CResultSet& ResultSet(qsizetype index) const { return m_sets[size_t(index)]; }
    // The marks of `row` (as At numbers it).
    CMarkTable::Marks MarksAt(qsizetype row) const;
    // Deletes every element.
    void Clear();

private:
    // A group's rows are packed (CPackedRows): a vector of a million rows would move every row
    // when it outgrew its capacity, a stall of the user-interface thread that grows with the
    // result, and a string a row would cost a heap block and a header each.
    struct Group
    {
        qsizetype start = 0;
        CPackedRows rows;          // title row first
        qsizetype currentSet = -1; // in m_sets: the set the group's next rows belong to
    };

    // Where the group's sets stand before an intake, to undo it.
    struct ShapeMark
    {
        qsizetype sets;
        qsizetype currentSet;
        CResultSet::Mark current;
    };
    ShapeMark ShapePosition(const Group& group) const;
    void RollBackShape(Group& group, const ShapeMark& mark);
    // The set starts and rows of a batch whose elements went in from group row `firstRow` on.
    void TakeShape(Group& group, const CPostElemArray& batch, qsizetype firstRow);
    const Group& GroupOf(qsizetype row) const;

    static qsizetype GroupEnd(const Group& group);
    // Index in m_groups of the connection's new group, its title row in place.
    qsizetype OpenGroup(const QString& connection);
    void ShiftGroupsAfter(qsizetype groupIndex, qsizetype rows);

    std::deque<Group> m_groups;    // ordered by start; a deque never moves its groups
    std::deque<CResultSet> m_sets; // they point at their groups' rows
    QHash<QString, qsizetype> m_groupIndex;
    qsizetype m_count = 0;
};
