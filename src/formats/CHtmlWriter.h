#pragma once

#include "formats/CResultWriter.h"

// An HTML document with a table a set: a header row of th cells, then a row of td cells a
// row, every text escaped, a line break inside a value a <br>, NULL an empty cell of class
// "null".
class CHtmlWriter : public CResultWriter
{
public:
    using CResultWriter::CResultWriter;

    std::string_view Prologue() const override
    {
        return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head><body>\n";
    }
    std::string_view Epilogue() const override { return "</body></html>\n"; }
    void WriteRow(std::span<const CFieldValue> values) override;

protected:
    void OpenSet(const CSetHeader& header) override;
    void CloseSet() override;

private:
    void Cell(const char* tag, QStringView text, bool null);
};

// `text` with &, <, >, " and ' as HTML entities.
void AppendHtmlText(CUtf8Out& out, QStringView text);
