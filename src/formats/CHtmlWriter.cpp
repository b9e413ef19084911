#include "formats/CHtmlWriter.h"

void AppendHtmlText(CUtf8Out& out, QStringView text)
{
    AppendEscaped(out, text, [text](QChar c, qsizetype at) -> const char* {
        switch (c.unicode()) {
        case '\r': // CR LF is one line break, as is CR alone
            return at + 1 < text.size() && text[at + 1] == u'\n' ? "" : "<br>";
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '"':
            return "&quot;";
        case '\'':
            return "&#39;";
        case '\n':
            return "<br>";
        default:
            return nullptr;
        }
    });
}

void CHtmlWriter::OpenSet(const CSetHeader& header)
{
    m_out.Ascii("<table>\n<thead><tr>");
    if (Options().connectionColumn) {
        Cell("th", Options().connectionHeader, false);
    }
    for (const QString& column : header.columns) {
        Cell("th", column, false);
    }
    m_out.Ascii("</tr></thead>\n<tbody>\n");
}

void CHtmlWriter::WriteRow(std::span<const CFieldValue> values)
{
    m_out.Ascii("<tr>");
    if (Options().connectionColumn) {
        Cell("td", Connection(), false);
    }
    for (const CFieldValue& value : values) {
        Cell("td", value.text, value.null);
    }
    m_out.Ascii("</tr>\n");
}

void CHtmlWriter::CloseSet()
{
    m_out.Ascii("</tbody>\n</table>\n");
}

void CHtmlWriter::Cell(const char* tag, QStringView text, bool null)
{
    m_out.Char('<');
    m_out.Ascii(tag);
    if (null) {
        m_out.Ascii(" class=\"null\"></");
    } else {
        m_out.Char('>');
        AppendHtmlText(m_out, text);
        m_out.Ascii("</");
    }
    m_out.Ascii(tag);
    m_out.Char('>');
}
