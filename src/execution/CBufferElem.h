#pragma once

#include "odbc/CThreadOdbcOwner.h"

#include <QString>
#include <QStringView>

// One result element: a kind (ElemKind, also the row's icon) and one line of text whose fields
// are separated by tabs. Made on a query thread; once handed over, read only by the
// user-interface thread, which is why the field count may be cached without a lock.
class CBufferElem
{
public:
    CBufferElem(int kind, QString text);

    // Tabs in the text plus one; counted on the first call only.
    int GetFieldCount() const;
    // The text between the index-th and the next tab, viewing m_text (valid while m_text is
    // unchanged). Empty for an index outside 0 .. GetFieldCount() - 1.
    QStringView GetField(int index) const;

    int m_kind;

private:
    // Beside m_kind, so that the two ints share one 8-byte slot: a million held rows are a
    // million of these.
    mutable int m_columnCount = -1;

public:
    QString m_text;
};
