#include "formats/CSqlInsertWriter.h"

namespace {

void AppendQuoted(CUtf8Out& out, QStringView text, char quote)
{
    const char* doubled = quote == '"' ? "\"\"" : "''";
    out.Char(quote);
    AppendEscaped(out, text,
                  [&](QChar c) -> const char* { return c == QChar(quote) ? doubled : nullptr; });
    out.Char(quote);
}

} // namespace

void CSqlInsertWriter::OpenSet(const CSetHeader& header)
{
    m_columns = header.columns;
    MakeStatementStart();
}

void CSqlInsertWriter::ConnectionChanged()
{
    MakeStatementStart();
}

void CSqlInsertWriter::MakeStatementStart()
{
    m_statementStart.clear();
    CUtf8Out start(m_statementStart);
    start.Ascii("INSERT INTO ");
    start.Text(Options().tableName);
    start.Ascii(" (");
    QStringList names = m_columns;
    if (Options().connectionColumn) {
        names.prepend(Options().connectionHeader);
    }
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i > 0) {
            start.Ascii(", ");
        }
        AppendQuoted(start, names[i], '"');
    }
    start.Ascii(") VALUES (");
    if (Options().connectionColumn) {
        AppendQuoted(start, Connection(), '\'');
        if (!m_columns.isEmpty()) {
            start.Ascii(", ");
        }
    }
}

void CSqlInsertWriter::WriteRow(std::span<const CFieldValue> values)
{
    m_out.Ascii(std::string_view(m_statementStart.constData(), size_t(m_statementStart.size())));
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            m_out.Ascii(", ");
        }
        if (values[i].null) {
            m_out.Ascii("NULL");
        } else {
            AppendQuoted(m_out, values[i].text, '\'');
        }
    }
    m_out.Ascii(");\n");
}
