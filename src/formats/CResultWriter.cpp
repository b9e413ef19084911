#include "formats/CResultWriter.h"

void CResultWriter::BeginSet(const CSetHeader& header)
{
    EndSet();
    if (m_sets > 0) {
        m_out.Ascii(Between());
    }
    ++m_sets;
    m_inSet = true;
    m_connection = header.connection;
    OpenSet(header);
}

void CResultWriter::EndSet()
{
    if (m_inSet) {
        m_inSet = false;
        CloseSet();
    }
}

void CResultWriter::SetConnection(const QString& connection)
{
    if (connection != m_connection) {
        m_connection = connection;
        ConnectionChanged();
    }
}
