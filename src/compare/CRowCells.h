#pragma once

#include "execution/CMarkTable.h"

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <vector>

class CResultSet;

// One value of a row as a comparison sees it: its text, and whether it is NULL or was cut short.
struct CCell
{
    QStringView text;
    bool null = false;
    bool cut = false;

    // Whether two values may be the same value: NULL only equals NULL; a value cut short equals
    // one that starts with what it shows, so that no difference is seen past the cut; whole
    // values are equal when their texts are.
    static bool Equal(const CCell& a, const CCell& b);
};

// The values of one row of a result set, read once: the row's text decoded a single time and
// split at its tabs, instead of decoding it again for every value asked for.
class CRowCells
{
public:
    void Read(const CResultSet& set, qsizetype row);
    // With the row's marks as the caller has them.
    void Read(const CResultSet& set, qsizetype row, const CMarkTable::Marks& marks);
    // `column` among the set's columns; a column the row lacks is empty text.
    CCell Cell(int column) const;

private:
    QString m_text;
    std::vector<qsizetype> m_starts; // of each field, and one past the end of the last + 1
    CMarkTable::Marks m_marks;
};
