#pragma once

#include "execution/CElemArray.h"

#include <QString>

#include <atomic>
#include <utility>

// One batch of a query thread's elements on its way to the user-interface thread. The posting
// thread owns the batch object throughout; the elements pass to the document at intake, after
// which the user-interface thread stores 1 in m_handled (release) and the posting thread may
// delete the batch once it reads 1 (acquire).
class CPostElemArray : public CElemArray
{
public:
    // `growBy` elements are reserved up front: the posting thread's flush size.
    CPostElemArray(QString connectionName, int growBy) : m_connectionName(std::move(connectionName))
    {
        reserve(growBy);
    }

    const QString m_connectionName;
    std::atomic<int> m_handled{0};
};
