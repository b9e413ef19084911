#pragma once

#include "formats/CResultWriter.h"

// One JSON array of result-set objects, {"connection": name, "batch": n, "result": k,
// "columns": [names], "rows": [[values]]}, each value the text the connection gave or null for
// NULL; batch and result 1-based. A set's rows stream out one line each.
class CJsonSetsWriter : public CResultWriter
{
public:
    using CResultWriter::CResultWriter;

    std::string_view Prologue() const override { return "["; }
    std::string_view Epilogue() const override { return "\n]\n"; }
    std::string_view Between() const override { return ","; }
    void WriteRow(std::span<const CFieldValue> values) override;

protected:
    void OpenSet(const CSetHeader& header) override;
    void CloseSet() override;

private:
    bool m_firstRow = true;
};

// The values of a row as a JSON array, null for NULL.
void AppendJsonValues(CUtf8Out& out, std::span<const CFieldValue> values);
// {"connection": name, "batch": n, "result": k: the start of an object that names its set.
void AppendJsonSetStart(CUtf8Out& out, const CSetHeader& header);
