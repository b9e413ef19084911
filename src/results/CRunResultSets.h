#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <vector>

class CResultSet;
class CResultStore;

// The result sets of a run, gathered by (batch, result): the sets that several connections gave
// for the same statement form one group, which the "Result Sets" page shows as one grid. The
// store only ever adds sets during a run, so an update looks at the new ones alone.
class CRunResultSets
{
public:
    struct Group
    {
        int batch = 0;
        int result = 0;
        QString sql; // the batch's first line, shortened
        std::vector<const CResultSet*> sets;
    };

    // Takes the sets the store gained since the last update; true when a group was added or a
    // group gained a set. Within a group the sets follow `connectionOrder` (group titles; one
    // not there comes last), not the order in which the connections happened to answer.
    bool Update(const CResultStore& store, const QStringList& batches,
                const QStringList& connectionOrder = {});
    // Before the store goes: the groups point at its sets.
    void Clear();

    qsizetype Count() const { return qsizetype(m_groups.size()); }
    // Ordered by batch, then result.
    const Group& At(qsizetype index) const { return m_groups[size_t(index)]; }
    // -1 when there is none.
    qsizetype IndexOf(int batch, int result) const;

    // "Batch 2: SELECT id, name FROM customers …  —  3 connections: 120, 120, 118 rows"
    static QString Title(const Group& group);
    // The first non-empty line of a batch, at most `length` characters, "…" where cut.
    static QString ShortSql(const QString& sql, int length = 60);

private:
    Group& GroupFor(int batch, int result, const QStringList& batches);

    std::vector<Group> m_groups;
    qsizetype m_seen = 0;
};
