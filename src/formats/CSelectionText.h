#pragma once

#include "formats/ResultFormats.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Rows picked from a grid, for the clipboard: the same columns for all, each row with its
// connection.
struct CSelectionRow
{
    QString connection;
    QStringList values;
    QList<bool> nulls; // beside values; a value without a flag is no NULL
};

// The text of a selection in a format: TSV with a header row for plain text, an HTML table
// for the clipboard's second format, and CSV, Markdown, JSON (an array of objects) or SQL
// INSERT statements for "Copy as". With options.connectionColumn the connection's name comes
// first in each row, under options.connectionHeader.
class CSelectionText
{
public:
    // UTF-8. JSON is the array of row objects whichever JSON format is asked for; XLSX is
    // none of these and gives nothing.
    static QByteArray Format(ResultFormat format, const QStringList& columns,
                             const QList<CSelectionRow>& rows, const CWriterOptions& options);
};
