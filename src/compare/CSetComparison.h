#pragma once

#include "compare/CColumnPairing.h"
#include "compare/CRowCells.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <limits>
#include <vector>

class CResultSet;

// What a row of one side came to in a comparison.
enum class RowStatus : quint8
{
    Pending,  // not compared yet
    Same,     // matched by an equal row of the other side
    OnlyHere, // a row of the compared set that the reference lacks
    Missing,  // a row of the reference that the compared set lacks
    Differ,   // keyed only: the other side has a row of its key, with other values
};

enum class CompareSide
{
    Reference,
    Other,
};

// One result set compared with the reference's, in steps. Rows are matched on the key columns
// (all common columns when none of those named is in the sets, each row once, so that
// duplicates count) through a
// hash of their key values: the table holds row numbers and hashes, the values are read from
// the sets when two rows' hashes meet. Both sets must stay as they are until it is done.
class CSetComparison
{
public:
    CSetComparison(const CResultSet& reference, const CResultSet& other,
                   const QStringList& keyColumns);

    // Compares up to `budget` rows' worth, less what it did; true once done.
    bool Step(qsizetype& budget);
    bool Done() const { return m_phase == Phase::Done; }
    qsizetype TotalWork() const;
    qsizetype WorkDone() const { return m_workDone; }

    // Empty unless the sets cannot be compared: a key column one side lacks, no common column.
    const QString& Problem() const { return m_problem; }
    const CColumnPairing& Columns() const { return m_columns; }
    bool Keyed() const { return m_keyed; }

    qsizetype SameRows() const { return m_same; }
    qsizetype OnlyHereRows() const { return m_onlyHere; }
    qsizetype MissingRows() const { return m_missing; }
    qsizetype DifferRows() const { return m_differ; }
    // Values of matched rows that either side shows cut short: compared as far as shown.
    qsizetype CutCells() const { return m_cutCells; }
    // Every row matched and the same columns on both sides.
    bool Agrees() const;
    // "same as NAME", or what differs: "3 rows only here, 2 rows differ, 1 missing".
    QString Summary(const QString& referenceName) const;

    RowStatus Status(CompareSide side, qsizetype row) const;
    // The other side's row of a row that differs; -1 for any other row.
    qsizetype Partner(CompareSide side, qsizetype row) const;
    // The columns (by the side's own numbers) in which a row that differs differs from its
    // partner; empty for any other row.
    QList<int> DifferingColumns(CompareSide side, qsizetype row) const;

private:
    enum class Phase
    {
        ScanCuts, // how much of the key values a hash may read
        Build,    // the reference's rows into the table
        Probe,    // each other row looks for its match
        Finish,   // the reference's rows left over are missing
        Done,
    };
    static constexpr quint32 kNone = std::numeric_limits<quint32>::max();

    bool ResolveKeys(const QStringList& keyColumns);
    void ScanCutsRow(qsizetype row);
    void BuildRow(qsizetype row);
    void ProbeRow(qsizetype row);
    void FinishRow(qsizetype row);
    void Advance();
    quint64 KeyHash(const CRowCells& cells, bool reference) const;
    // The rows' values are equal in `columns` (into m_columns.Common()).
    bool Equal(const std::vector<int>& columns, const CRowCells& ref, const CRowCells& other) const;
    // Takes the reference row that `link` points to off its chain.
    void Match(quint32* link, quint32 refRow, qsizetype otherRow, bool same);
    void CountCuts(const CRowCells& ref, const CRowCells& other);
    qsizetype RowsOf(Phase phase) const;

    const CResultSet& m_reference;
    const CResultSet& m_other;
    CColumnPairing m_columns;
    std::vector<int> m_keys;   // into m_columns.Common()
    std::vector<int> m_values; // the common columns that are no key
    bool m_keyed = false;
    QString m_problem;

    Phase m_phase = Phase::ScanCuts;
    qsizetype m_cursor = 0; // the next row of the phase
    qsizetype m_workDone = 0;

    // The prefix of a key value a hash reads, by key: values whose start is all one side shows.
    std::vector<qsizetype> m_hashedLength;
    // The table: bucket heads, a chain link and the hash of each reference row.
    std::vector<quint32> m_heads;
    std::vector<quint32> m_next;
    std::vector<quint64> m_hashes;
    quint64 m_mask = 0;

    std::vector<RowStatus> m_referenceStatus;
    std::vector<RowStatus> m_otherStatus;
    QHash<qsizetype, qsizetype> m_referencePartner; // of rows that differ
    QHash<qsizetype, qsizetype> m_otherPartner;
    CRowCells m_cells;          // the row being hashed or probed
    CRowCells m_candidateCells; // a reference row it meets

    qsizetype m_same = 0;
    qsizetype m_onlyHere = 0;
    qsizetype m_missing = 0;
    qsizetype m_differ = 0;
    qsizetype m_cutCells = 0;
};
