#include "execution/CBufferElem.h"

#include <utility>

namespace {

constexpr QChar kFieldSeparator = u'\t';

} // namespace

CBufferElem::CBufferElem(int kind, QString text) : m_kind(kind), m_text(std::move(text))
{
}

int CBufferElem::GetFieldCount() const
{
    if (m_columnCount < 0) {
        m_columnCount = int(m_text.count(kFieldSeparator)) + 1;
    }
    return m_columnCount;
}

QStringView CBufferElem::GetField(int index) const
{
    if (index < 0 || index >= GetFieldCount()) {
        return {};
    }
    qsizetype begin = 0;
    for (int skipped = 0; skipped < index; ++skipped) {
        begin = m_text.indexOf(kFieldSeparator, begin) + 1;
    }
    const qsizetype end = m_text.indexOf(kFieldSeparator, begin);
    const QStringView text(m_text);
    return end < 0 ? text.sliced(begin) : text.sliced(begin, end - begin);
}
