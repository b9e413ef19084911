#pragma once

#include "document/CConnectionData.h"

#include <QList>

// A document's connections, by value, in the order the user added them.
class CConnectionDataArray : public QList<CConnectionData>
{
public:
    using QList<CConnectionData>::QList;

    // Storing writes the count and every entry. Loading appends the entries read to those already
    // held; a count of zero or below reads none, and a count larger than the bytes left could
    // hold throws CArchiveException before reading any. On CArchiveException from a bad entry
    // the entries read before it stay appended, so callers that need all-or-nothing load into a
    // fresh array.
    void Serialize(CArchive& archive);

    // True when any entry would write a password to the file.
    bool StoresPassword() const;
};
