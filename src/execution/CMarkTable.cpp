#include "execution/CMarkTable.h"

#include <algorithm>
#include <cstring>

void CMarkTable::Add(qsizetype row, const Marks& marks)
{
    if (!marks.Any()) {
        return;
    }
    Q_ASSERT(m_entries.empty() || m_entries.back().row < row);
    Entry entry;
    entry.row = row;
    entry.values = marks.Count();
    const auto bytes = size_t(odbc::ValueMarks::BytesFor(marks.Count()));
    if (marks.Count() <= kInlineValues) {
        std::memcpy(&entry.bits, marks.Bytes(), bytes);
    } else {
        entry.wide = std::make_unique_for_overwrite<quint8[]>(bytes);
        std::memcpy(entry.wide.get(), marks.Bytes(), bytes);
    }
    m_entries.push_back(std::move(entry));
}

CMarkTable::Marks CMarkTable::MarksAt(qsizetype index) const
{
    const Entry& entry = m_entries[size_t(index)];
    const auto* bytes =
        entry.wide ? entry.wide.get() : reinterpret_cast<const quint8*>(&entry.bits);
    return {bytes, entry.values};
}

CMarkTable::Marks CMarkTable::Of(qsizetype row) const
{
    const auto found = std::lower_bound(m_entries.begin(), m_entries.end(), row,
                                        [](const Entry& e, qsizetype r) { return e.row < r; });
    if (found == m_entries.end() || found->row != row) {
        return {};
    }
    return MarksAt(found - m_entries.begin());
}

void CMarkTable::DropFrom(qsizetype row)
{
    while (!m_entries.empty() && m_entries.back().row >= row) {
        m_entries.pop_back();
    }
}

void CMarkTable::Clear()
{
    m_entries.clear();
}

qint64 CMarkTable::HeldBytes(int values)
{
    return qint64(sizeof(Entry)) +
           (values > kInlineValues ? odbc::ValueMarks::BytesFor(values) : 0);
}

qint64 CMarkTable::AllocatedBytes() const
{
    qint64 bytes = qint64(m_entries.size() * sizeof(Entry));
    for (const Entry& entry : m_entries) {
        if (entry.wide) {
            bytes += odbc::ValueMarks::BytesFor(entry.values);
        }
    }
    return bytes;
}
