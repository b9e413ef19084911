#include "formats/CMarkdownWriter.h"

void CMarkdownWriter::OpenSet(const CSetHeader& header)
{
    m_out.Char('|');
    int cells = 0;
    if (Options().connectionColumn) {
        Cell(Options().connectionHeader, false);
        ++cells;
    }
    for (const QString& column : header.columns) {
        Cell(column, false);
        ++cells;
    }
    m_out.Ascii("\n|");
    for (int i = 0; i < cells; ++i) {
        m_out.Ascii(" --- |");
    }
    m_out.Char('\n');
}

void CMarkdownWriter::WriteRow(std::span<const CFieldValue> values)
{
    m_out.Char('|');
    if (Options().connectionColumn) {
        Cell(Connection(), false);
    }
    for (const CFieldValue& value : values) {
        Cell(value.text, value.null);
    }
    m_out.Char('\n');
}

void CMarkdownWriter::Cell(QStringView text, bool null)
{
    m_out.Char(' ');
    if (null) {
        m_out.Ascii("*NULL*");
    } else {
        AppendEscaped(m_out, text, [](QChar c) -> const char* {
            switch (c.unicode()) {
            case '\\':
                return "\\\\";
            case '|':
                return "\\|";
            case '*':
                return "\\*";
            case '_':
                return "\\_";
            case '`':
                return "\\`";
            case '<':
                return "&lt;";
            case '&':
                return "&amp;";
            case '\r':
                return " ";
            case '\n':
                return "<br>";
            default:
                return nullptr;
            }
        });
    }
    m_out.Ascii(" |");
}
