#pragma once

#include "execution/CMarkTable.h"
#include "execution/CPackedRows.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <vector>

// One result set of a run as one connection gave it: which connection (its group title), which
// batch (0-based, counted over the run's batches as split) and which result of that batch
// (0-based, counting only results with columns), its column names and its rows. The rows are
// those of the connection's group in the result store, read in place; a set lives as long as
// the store's rows (until the store is cleared).
class CResultSet
{
public:
    CResultSet(QString connection, int batch, int result, QStringList columns,
               const CPackedRows& rows);

    const QString& Connection() const { return m_connection; }
    int Batch() const { return m_batch; }
    int Result() const { return m_result; }
    const QStringList& Columns() const { return m_columns; }

    qsizetype RowCount() const { return m_rowCount; }
    // `row` in 0 .. RowCount() - 1 for each of these.
    CPackedRows::RowView Row(qsizetype row) const { return m_rows->At(GroupRow(row)); }
    CMarkTable::Marks Marks(qsizetype row) const { return m_rows->Marks(GroupRow(row)); }
    // The value's text; empty for NULL and for a column the row does not have.
    QString Value(qsizetype row, int column) const { return Row(row).Field(column); }
    // The row of the connection's group (title row 0) that holds the set's `row`.
    qsizetype GroupRow(qsizetype row) const;
    // The store's intake: the next row of the set is the group's `groupRow`.
    void AddRow(qsizetype groupRow);

    // Where the set stands, and back to there: the store undoes a failed intake.
    struct Mark
    {
        size_t runs = 0;
        qsizetype lastRunCount = 0;
        qsizetype rowCount = 0;
    };
    Mark Position() const;
    void RollBack(const Mark& mark);

private:
    // Rows that follow each other in the group; a set's rows form one run unless other
    // elements (a warning) come between them.
    struct Run
    {
        qsizetype firstGroupRow;
        qsizetype count;
        qsizetype before; // rows of the set in the runs before this one
    };

    QString m_connection;
    int m_batch;
    int m_result;
    QStringList m_columns;
    const CPackedRows* m_rows;
    std::vector<Run> m_runs;
    qsizetype m_rowCount = 0;
};
