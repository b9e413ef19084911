#pragma once

#include "compare/CResultSetGroups.h"

#include <QString>
#include <QStringList>

#include <cstdio>
#include <vector>

class CResultComparison;
class CResultStore;

// What --compare writes once a run has ended: for each result set (batch and result), the
// columns and a line per connection saying how its rows compare with the first connection's
// that returned the set:
//
//   Batch 1, result 1: id, name
//     ArchivePG: reference, 3 rows
//     Live: 3 rows only here, 2 rows differ, 1 missing
//
// The first connection of the order that has the set is the reference.
class CComparisonReport
{
public:
    CComparisonReport(std::FILE* out, std::FILE* err, QStringList keyColumns)
        : m_out(out), m_err(err), m_keyColumns(std::move(keyColumns))
    {
    }

    // `connections`: the run's group titles in order; `failed`: those whose run failed, which
    // count as failures, not as differences, when a set of theirs is missing. The exit code:
    // 0 all agree, 3 some differ (a key column only one side has included), 2 a key column that
    // no result set has.
    int Write(const CResultStore& store, const QStringList& connections, const QStringList& failed);

private:
    // A connection's line after its name.
    static QString Summary(const CResultComparison& comparison, qsizetype index);
    void Line(const QString& text);
    // False, saying so, when a key column is in none of the sets.
    bool KeysFound(const std::vector<CResultSetGroups::Group>& groups) const;

    std::FILE* m_out;
    std::FILE* m_err;
    QStringList m_keyColumns;
};
