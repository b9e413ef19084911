#include "execution/CElemArray.h"

#include <utility>

void CElemArray::Add(std::unique_ptr<CBufferElem> element)
{
    if (element) {
        m_elements.push_back(std::move(*element));
    }
}

void CElemArray::Add(int kind, QString text)
{
    m_elements.emplace_back(kind, std::move(text));
}

void CElemArray::reserve(qsizetype count)
{
    if (count > 0) {
        m_elements.reserve(size_t(count));
    }
}

void CElemArray::RemoveAllElements()
{
    m_elements.clear();
}

CElemArray::Elements CElemArray::TakeAll()
{
    Elements taken;
    taken.swap(m_elements);
    return taken;
}
