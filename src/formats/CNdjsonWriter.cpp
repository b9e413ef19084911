#include "formats/CNdjsonWriter.h"

#include "formats/CJsonSetsWriter.h"
#include "formats/JsonText.h"

void CNdjsonWriter::OpenSet(const CSetHeader& header)
{
    m_rowStart.clear();
    CUtf8Out start(m_rowStart);
    AppendJsonSetStart(start, header);
    m_out.Ascii(std::string_view(m_rowStart.constData(), size_t(m_rowStart.size())));
    m_out.Ascii(",\"columns\":");
    AppendJsonStrings(m_out, header.columns);
    m_out.Ascii("}\n");
    start.Ascii(",\"row\":");
}

void CNdjsonWriter::WriteRow(std::span<const CFieldValue> values)
{
    m_out.Ascii(std::string_view(m_rowStart.constData(), size_t(m_rowStart.size())));
    AppendJsonValues(m_out, values);
    m_out.Ascii("}\n");
}
