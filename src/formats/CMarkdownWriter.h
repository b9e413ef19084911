#pragma once

#include "formats/CResultWriter.h"

// A Markdown (pipe) table a set, an empty line between tables. Characters that Markdown reads
// as markup are escaped with a backslash, a line break inside a value is <br>, and NULL is
// *NULL* (emphasised, which no escaped text can be).
class CMarkdownWriter : public CResultWriter
{
public:
    using CResultWriter::CResultWriter;

    std::string_view Between() const override { return "\n"; }
    void WriteRow(std::span<const CFieldValue> values) override;

protected:
    void OpenSet(const CSetHeader& header) override;

private:
    void Cell(QStringView text, bool null);
};
