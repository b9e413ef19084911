#include "formats/CDelimitedWriter.h"

namespace {

bool NeedsQuotes(QStringView text)
{
    for (const QChar c : text) {
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n') {
            return true;
        }
    }
    return false;
}

} // namespace

CDelimitedWriter::CDelimitedWriter(Style style, QByteArray& out, CWriterOptions options)
    : CResultWriter(out, std::move(options)), m_style(style)
{
}

void CDelimitedWriter::OpenSet(const CSetHeader& header)
{
    bool first = true;
    if (Options().connectionColumn) {
        Field(Options().connectionHeader, false);
        first = false;
    }
    for (const QString& column : header.columns) {
        if (!first) {
            m_out.Char(m_style == Style::Csv ? ',' : '\t');
        }
        first = false;
        Field(column, false);
    }
    m_out.Ascii(LineEnd());
}

void CDelimitedWriter::WriteRow(std::span<const CFieldValue> values)
{
    const char separator = m_style == Style::Csv ? ',' : '\t';
    bool first = true;
    if (Options().connectionColumn) {
        Field(Connection(), false);
        first = false;
    }
    for (const CFieldValue& value : values) {
        if (!first) {
            m_out.Char(separator);
        }
        first = false;
        Field(value.text, value.null);
    }
    m_out.Ascii(LineEnd());
}

void CDelimitedWriter::Field(QStringView text, bool null)
{
    if (null) {
        return;
    }
    if (m_style == Style::Tsv) {
        AppendEscaped(m_out, text, [](QChar c) -> const char* {
            return c == u'\t' || c == u'\r' || c == u'\n' ? " " : nullptr;
        });
        return;
    }
    if (!text.isEmpty() && !NeedsQuotes(text)) {
        m_out.Text(text);
        return;
    }
    m_out.Char('"');
    AppendEscaped(m_out, text, [](QChar c) -> const char* { return c == u'"' ? "\"\"" : nullptr; });
    m_out.Char('"');
}
