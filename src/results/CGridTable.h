#pragma once

#include "results/CGridRows.h"

#include <QModelIndexList>
#include <QString>
#include <QStringList>

#include <vector>

class CResultGridModel;
class QMimeData;

// Cells taken out of the grid for the clipboard: the selected rows by the selected columns (a
// cell of a selected row and column that is itself not selected comes along, so every row has
// the same fields), in the order the grid shows them, with the columns' names.
struct CGridTable
{
    QStringList columns;
    std::vector<std::vector<CGridRows::Cell>> rows;

    static CGridTable FromSelection(const CResultGridModel& model, const QModelIndexList& selected);

    // A header line, then a line a row, cells separated by tabs; NULL reads "NULL", an absent
    // value nothing; tabs and line breaks inside values become blanks.
    QString ToText() const;
    // The same cells as one HTML table.
    QString ToHtml() const;
    // Both, as text/plain and text/html; the caller owns it (the clipboard takes it over).
    QMimeData* ToMimeData() const;
};
