#pragma once

#include "formats/CSelectionText.h"
#include "formats/ResultFormats.h"

#include <QByteArray>
#include <QList>
#include <QModelIndexList>
#include <QString>
#include <QStringList>

#include <utility>

class CResultGridModel;
class QMimeData;

// Cells taken out of the grid for the clipboard: the selected rows by the selected columns (a
// cell of a selected row and column that is itself not selected comes along, so every row has
// the same fields), in the order the grid shows them. A value a connection did not return goes
// as NULL: there is no value.
struct CGridTable
{
    QStringList columns; // the merged columns picked, the connection aside
    QList<CSelectionRow> rows;
    bool connectionColumn = false; // the connection column is one of those picked

    static CGridTable FromSelection(const CResultGridModel& model, const QModelIndexList& selected);

    // UTF-8.
    QByteArray Text(ResultFormat format) const;
    // Tab-separated text with a header row as text/plain and an HTML table as text/html; the
    // caller owns it (the clipboard takes it over).
    QMimeData* ToMimeData() const;
    // The "Copy as" menu: each format's caption.
    static QList<std::pair<QString, ResultFormat>> CopyFormats();
};
