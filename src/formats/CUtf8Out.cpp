#include "formats/CUtf8Out.h"

#include <charconv>

void CUtf8Out::Text(QStringView text)
{
    if (text.isEmpty()) {
        return;
    }
    const qsizetype at = m_bytes->size();
    m_bytes->resize(at + m_toUtf8.requiredSpace(text.size()));
    char* end = m_toUtf8.appendToBuffer(m_bytes->data() + at, text);
    m_bytes->resize(end - m_bytes->constData());
}

void CUtf8Out::Number(long long value)
{
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    m_bytes->append(digits, end - digits);
}
