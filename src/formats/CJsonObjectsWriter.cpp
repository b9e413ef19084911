#include "formats/CJsonObjectsWriter.h"

#include "formats/JsonText.h"

#include <QSet>

QStringList UniqueColumnNames(const QStringList& columns)
{
    const QSet<QString> given(columns.cbegin(), columns.cend());
    QSet<QString> seen;
    QStringList unique;
    for (const QString& column : columns) {
        QString name = column;
        // A counted name that another column has as its own is passed over as well.
        for (int n = 2; seen.contains(name) || (name != column && given.contains(name)); ++n) {
            name = QStringLiteral("%1 (%2)").arg(column).arg(n);
        }
        seen.insert(name);
        unique << name;
    }
    return unique;
}

void CJsonObjectsWriter::OpenSet(const CSetHeader& header)
{
    MakeRowStart();
    QStringList names = header.columns;
    if (Options().connectionColumn) {
        names.prepend(Options().connectionHeader);
    }
    names = UniqueColumnNames(names);
    m_keys.clear();
    for (qsizetype i = Options().connectionColumn ? 1 : 0; i < names.size(); ++i) {
        QByteArray key;
        CUtf8Out keyOut(key);
        if (!m_keys.empty() || Options().connectionColumn) {
            keyOut.Char(',');
        }
        AppendJsonString(keyOut, names[i]);
        keyOut.Char(':');
        m_keys.push_back(key);
    }
}

void CJsonObjectsWriter::ConnectionChanged()
{
    MakeRowStart();
}

void CJsonObjectsWriter::MakeRowStart()
{
    m_rowStart.clear();
    CUtf8Out start(m_rowStart);
    start.Char('{');
    if (Options().connectionColumn) {
        AppendJsonString(start, Options().connectionHeader);
        start.Char(':');
        AppendJsonString(start, Connection());
    }
}

void CJsonObjectsWriter::WriteRow(std::span<const CFieldValue> values)
{
    m_out.Ascii(m_rows++ > 0 ? ",\n" : "\n");
    m_out.Ascii(std::string_view(m_rowStart.constData(), size_t(m_rowStart.size())));
    for (size_t i = 0; i < values.size() && i < m_keys.size(); ++i) {
        m_out.Ascii(std::string_view(m_keys[i].constData(), size_t(m_keys[i].size())));
        if (values[i].null) {
            m_out.Ascii("null");
        } else {
            AppendJsonString(m_out, values[i].text);
        }
    }
    m_out.Char('}');
}
