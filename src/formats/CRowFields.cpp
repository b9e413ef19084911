#include "formats/CRowFields.h"

std::span<const CFieldValue> CRowFields::Split(QStringView text, qsizetype columns,
                                               const CMarkTable::Marks& marks)
{
    m_values.resize(size_t(columns));
    qsizetype start = 0;
    for (qsizetype i = 0; i < columns; ++i) {
        CFieldValue& value = m_values[size_t(i)];
        if (start > text.size()) {
            value = {};
            continue;
        }
        qsizetype end = text.indexOf(u'\t', start);
        if (end < 0 || i == columns - 1) {
            end = text.size(); // the last column takes the rest, tabs and all
        }
        value.text = text.sliced(start, end - start);
        value.null = marks.IsNull(int(i));
        start = end + 1;
    }
    return m_values;
}
