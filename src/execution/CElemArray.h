#pragma once

#include "execution/CBufferElem.h"

#include <QString>
#include <QtGlobal>

#include <memory>
#include <vector>

// An ordered array of result elements, held by value: one allocation a row (its text) instead
// of two, on the query thread's hot path.
class CElemArray
{
public:
    using Elements = std::vector<CBufferElem>;

    CElemArray() = default;
    CElemArray(const CElemArray&) = delete;
    CElemArray& operator=(const CElemArray&) = delete;
    virtual ~CElemArray() = default;

    // A null element is ignored; the element's text moves, it is not copied.
    void Add(std::unique_ptr<CBufferElem> element);
    void Add(int kind, QString text);

    qsizetype size() const { return qsizetype(m_elements.size()); }
    const Elements& All() const { return m_elements; }
    // `index` must be in 0 .. size() - 1.
    CBufferElem& At(qsizetype index) { return m_elements[size_t(index)]; }
    const CBufferElem& At(qsizetype index) const { return m_elements[size_t(index)]; }

    void reserve(qsizetype count);
    // Deletes every element, and whatever a derived array keeps of them.
    virtual void RemoveAllElements();
    // Hands every element, in order, to the caller; the array is empty afterwards.
    Elements TakeAll();

private:
    Elements m_elements;
};
