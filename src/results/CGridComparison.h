#pragma once

#include "compare/CResultComparison.h"

#include <QString>
#include <QtGlobal>

// A finished comparison as the grid shows it: for each row of each connection whether it
// matched, and which of its values differ. Sets are numbered as in the grid (CGridRows).
class CGridComparison
{
public:
    enum class RowMark
    {
        Same,
        Differs,  // a row of the same key with other values
        OnlyHere, // a row of a compared connection that the reference lacks
        Missing,  // a row of the reference that some compared connection lacks
    };

    explicit CGridComparison(const CResultComparison& comparison) : m_comparison(comparison) {}

    RowMark Mark(int set, qsizetype row) const;
    // `column` by the set's own column numbers.
    bool Differs(int set, qsizetype row, int column) const;
    // What the row came to, for a tool tip: "differs from ArchivePG", "missing in LivePG".
    QString Note(int set, qsizetype row) const;
    qsizetype Reference() const { return m_comparison.Reference(); }

private:
    const CResultComparison& m_comparison;
};
