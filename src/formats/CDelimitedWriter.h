#pragma once

#include "formats/CResultWriter.h"

// Comma- or tab-separated lines, a header line opening each set.
//
// CSV follows RFC 4180: fields holding a comma, a double quote or a line break are quoted (the
// quote doubled), lines end in CR LF, and a NULL is an empty field while empty text is "" (a
// reader that knows no NULL reads both as empty). Sets are parted by an empty line.
//
// TSV is the plain text that spreadsheets paste: fields parted by tabs, lines ending in LF; a
// tab or line break inside a value becomes a blank, and NULL an empty field.
class CDelimitedWriter : public CResultWriter
{
public:
    enum class Style
    {
        Csv,
        Tsv
    };

    CDelimitedWriter(Style style, QByteArray& out, CWriterOptions options);

    std::string_view Between() const override { return LineEnd(); }
    void WriteRow(std::span<const CFieldValue> values) override;

protected:
    void OpenSet(const CSetHeader& header) override;

private:
    std::string_view LineEnd() const { return m_style == Style::Csv ? "\r\n" : "\n"; }
    void Field(QStringView text, bool null);

    Style m_style;
};
