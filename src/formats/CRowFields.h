#pragma once

#include "execution/CMarkTable.h"
#include "formats/CResultWriter.h"

#include <QStringView>

#include <vector>

// A row's tab-separated text as the values of a set of `columns` columns, read in place: the
// views live as long as the text. A row with fewer fields has empty text for the rest.
class CRowFields
{
public:
    std::span<const CFieldValue> Split(QStringView text, qsizetype columns,
                                       const CMarkTable::Marks& marks);

private:
    std::vector<CFieldValue> m_values; // kept from row to row
};
