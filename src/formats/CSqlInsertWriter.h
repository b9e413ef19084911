#pragma once

#include "formats/CResultWriter.h"

// An INSERT statement a row into the options' table, its columns named (quoted as SQL
// identifiers), every value a string literal with its quotes doubled, or NULL: what the
// connection gave, exactly, whatever the column's type.
class CSqlInsertWriter : public CResultWriter
{
public:
    using CResultWriter::CResultWriter;

    void WriteRow(std::span<const CFieldValue> values) override;

protected:
    void OpenSet(const CSetHeader& header) override;
    void ConnectionChanged() override;

private:
    void MakeStatementStart();

    QStringList m_columns;
    QByteArray m_statementStart; // INSERT INTO t ("a", "b") VALUES (['connection', ]
};
