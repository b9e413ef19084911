#include "history/CSqliteStatement.h"

#include <sqlite3.h>

CSqliteStatement::CSqliteStatement(sqlite3* database, const char* sql)
{
    if (sqlite3_prepare_v2(database, sql, -1, &m_statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
        m_failed = true;
    }
}

CSqliteStatement::~CSqliteStatement()
{
    sqlite3_finalize(m_statement);
}

CSqliteStatement& CSqliteStatement::Bind(int parameter, qint64 value)
{
    if (m_statement && sqlite3_bind_int64(m_statement, parameter, value) != SQLITE_OK) {
        m_failed = true;
    }
    return *this;
}

CSqliteStatement& CSqliteStatement::Bind(int parameter, const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    if (m_statement &&
        sqlite3_bind_text64(m_statement, parameter, utf8.constData(), sqlite3_uint64(utf8.size()),
                            SQLITE_TRANSIENT, SQLITE_UTF8) != SQLITE_OK) {
        m_failed = true;
    }
    return *this;
}

CSqliteStatement& CSqliteStatement::BindNull(int parameter)
{
    if (m_statement && sqlite3_bind_null(m_statement, parameter) != SQLITE_OK) {
        m_failed = true;
    }
    return *this;
}

bool CSqliteStatement::Step()
{
    if (!m_statement || m_failed) {
        return false;
    }
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW) {
        return true;
    }
    m_failed = rc != SQLITE_DONE;
    return false;
}

bool CSqliteStatement::Run()
{
    while (Step()) {
    }
    return !m_failed;
}

qint64 CSqliteStatement::Integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

QString CSqliteStatement::Text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(m_statement, column));
}

bool CSqliteStatement::IsNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}
