#pragma once

#include "formats/CResultWriter.h"

// One JSON array of rows, each an object of column name: value (null for NULL), the
// connection's name first under the connection header when there is that column. A name that
// a set has twice gets " (2)", " (3)" … after it, so that no value is lost to a reader that
// keeps one value a name.
class CJsonObjectsWriter : public CResultWriter
{
public:
    using CResultWriter::CResultWriter;

    std::string_view Prologue() const override { return "["; }
    std::string_view Epilogue() const override { return "\n]\n"; }
    void WriteRow(std::span<const CFieldValue> values) override;

protected:
    void OpenSet(const CSetHeader& header) override;
    void ConnectionChanged() override;

private:
    void MakeRowStart();

    QByteArray m_rowStart;          // {"connection":"name",
    std::vector<QByteArray> m_keys; // "name": for each column
    qsizetype m_rows = 0;           // over all sets: one array
};

// `columns` with a name that came before (case-sensitive) made unique by a count after it.
QStringList UniqueColumnNames(const QStringList& columns);
