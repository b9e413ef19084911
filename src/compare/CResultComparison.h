#pragma once

// The comparison of one result set across the connections of a run.
//
//   std::vector<const CResultSet*> sets = ...;   // the same (Batch, Result) of each connection,
//                                                // e.g. CResultSetGroups::Of(store)[i].sets
//   CResultComparison comparison(sets, /*reference*/ 0, {u"id"_qs});  // no keys: whole rows
//   while (!comparison.Step(50'000)) {           // a chunk per turn of the event loop
//       progressBar->setValue(int(comparison.Progress() * 100));
//       if (stopClicked) comparison.Stop();      // Step() then returns true, Stopped() is true
//   }
//   for (qsizetype i = 0; i < comparison.Count(); ++i)
//       label(i)->setText(comparison.Summary(i)); // "same as ArchivePG", "2 rows differ", ...
//   // Highlighting: for connection i other than the reference,
//   const CSetComparison& pair = comparison.Against(i);
//   pair.Status(CompareSide::Other, row);            // Same, OnlyHere or Differ
//   pair.Status(CompareSide::Reference, refRow);     // Same, Missing or Differ (as seen by i)
//   pair.DifferingColumns(CompareSide::Other, row);  // i's column numbers that differ
//   pair.Columns().OnlyInReference() / OnlyInOther() // columns one side lacks
//
// The sets are read in place and must stay as they are until the comparison is dropped: the
// store is the user-interface thread's, so Step() belongs there too, or the run has ended and
// nothing else touches the store. Steps cost about the same per row, so a budget in rows keeps a
// chunk short (50,000 rows are some tens of milliseconds).

#include "compare/CSetComparison.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>
#include <vector>

class CResultSet;

class CResultComparison
{
public:
    // `reference` indexes `sets`; `keyColumns` are names (any case) of columns that identify a
    // row. Those that neither set has are left out; with none left, whole rows are matched.
    CResultComparison(std::vector<const CResultSet*> sets, qsizetype reference = 0,
                      const QStringList& keyColumns = {});

    // Compares about `budgetRows` rows more; true once complete or stopped.
    bool Step(qsizetype budgetRows);
    // All of it at once.
    void Run();
    void Stop() { m_stopped = true; }
    bool Done() const;
    bool Stopped() const { return m_stopped && !Done(); }
    // From 0 to 1.
    double Progress() const;

    qsizetype Count() const { return qsizetype(m_sets.size()); }
    qsizetype Reference() const { return m_reference; }
    const CResultSet& Set(qsizetype index) const { return *m_sets[size_t(index)]; }
    // `index` is not Reference().
    const CSetComparison& Against(qsizetype index) const;
    // What a connection's set comes to: "reference" for the reference itself.
    QString Summary(qsizetype index) const;
    // Every other set agrees with the reference's.
    bool AllAgree() const;

private:
    std::vector<const CResultSet*> m_sets;
    qsizetype m_reference;
    std::vector<std::unique_ptr<CSetComparison>> m_pairs; // by set; none for the reference
    size_t m_current = 0;                                 // the pair being compared
    bool m_stopped = false;
};
