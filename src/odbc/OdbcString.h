#pragma once

// The one place where QString and the driver manager's wide strings meet.
// unixODBC's SQLWCHAR is 16-bit UTF-16, like QString's storage, so the
// conversion is a cast and a copy at most.

#include <QString>

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <vector>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t),
              "this build expects the driver manager's 16-bit SQLWCHAR");

namespace odbc {

// Points at the string's own buffer; valid while `s` lives unmodified.
// ODBC prototypes take non-const pointers for input strings they never write.
inline SQLWCHAR* In(const QString& s)
{
    return const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(s.utf16()));
}

// Text of a zero-terminated (or `length`-limited) buffer filled by the driver.
inline QString FromBuffer(const SQLWCHAR* text, qsizetype length = -1)
{
    if (!text) {
        return {};
    }
    if (length < 0) {
        length = 0;
        while (text[length] != 0) {
            ++length;
        }
    }
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text), length);
}

// A zero-filled output buffer of `chars` wide characters.
class WideBuffer
{
public:
    explicit WideBuffer(std::size_t chars) : m_data(chars + 1, 0) {}

    SQLWCHAR* data() { return m_data.data(); }
    // Capacity in characters, without the guard terminator.
    SQLSMALLINT chars() const { return static_cast<SQLSMALLINT>(m_data.size() - 1); }
    // Reads up to the first terminator, never past the buffer.
    QString text() const
    {
        qsizetype n = 0;
        const auto limit = static_cast<qsizetype>(m_data.size() - 1);
        while (n < limit && m_data[n] != 0) {
            ++n;
        }
        return FromBuffer(m_data.data(), n);
    }

private:
    std::vector<SQLWCHAR> m_data;
};

} // namespace odbc
