#include "formats/CJsonSetsWriter.h"

#include "formats/JsonText.h"

void AppendJsonValues(CUtf8Out& out, std::span<const CFieldValue> values)
{
    out.Char('[');
    bool first = true;
    for (const CFieldValue& value : values) {
        if (!first) {
            out.Char(',');
        }
        first = false;
        if (value.null) {
            out.Ascii("null");
        } else {
            AppendJsonString(out, value.text);
        }
    }
    out.Char(']');
}

void AppendJsonSetStart(CUtf8Out& out, const CSetHeader& header)
{
    out.Ascii("{\"connection\":");
    AppendJsonString(out, header.connection);
    out.Ascii(",\"batch\":");
    out.Number(header.batch + 1);
    out.Ascii(",\"result\":");
    out.Number(header.result + 1);
}

void CJsonSetsWriter::OpenSet(const CSetHeader& header)
{
    m_out.Char('\n');
    AppendJsonSetStart(m_out, header);
    m_out.Ascii(",\"columns\":");
    AppendJsonStrings(m_out, header.columns);
    m_out.Ascii(",\"rows\":[");
    m_firstRow = true;
}

void CJsonSetsWriter::WriteRow(std::span<const CFieldValue> values)
{
    m_out.Ascii(m_firstRow ? "\n" : ",\n");
    m_firstRow = false;
    AppendJsonValues(m_out, values);
}

void CJsonSetsWriter::CloseSet()
{
    m_out.Ascii("]}");
}
