#pragma once

#include "formats/CResultWriter.h"

// One JSON object a line: a set's object without its rows ({"connection", "batch", "result",
// "columns"}), then {"connection", "batch", "result", "row": [values]} for each of its rows.
class CNdjsonWriter : public CResultWriter
{
public:
    using CResultWriter::CResultWriter;

    void WriteRow(std::span<const CFieldValue> values) override;

protected:
    void OpenSet(const CSetHeader& header) override;

private:
    QByteArray m_rowStart; // the set's part of every row's line, encoded once
};
