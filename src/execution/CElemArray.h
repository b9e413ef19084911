#pragma once

#include "CBufferElem.h"

#include <QString>
#include <QtGlobal>

#include <memory>
#include <vector>

// An ordered array that owns its result elements and deletes them with itself.
class CElemArray
{
public:
    using Elements = std::vector<std::unique_ptr<CBufferElem>>;

    CElemArray() = default;
    CElemArray(const CElemArray&) = delete;
    CElemArray& operator=(const CElemArray&) = delete;
    virtual ~CElemArray() = default;

    // A null element is ignored.
    void Add(std::unique_ptr<CBufferElem> element);
    void Add(int kind, QString text);

    qsizetype size() const { return qsizetype(m_elements.size()); }
    // `index` must be in 0 .. size() - 1.
    CBufferElem& At(qsizetype index) { return *m_elements[size_t(index)]; }
    const CBufferElem& At(qsizetype index) const { return *m_elements[size_t(index)]; }

    void reserve(qsizetype count);
    // Deletes every element.
    void RemoveAllElements();
    // Hands every element, in order, to the caller; the array is empty afterwards.
    Elements TakeAll();

private:
    Elements m_elements;
};
