#include "execution/CMarkTable.h"

#include <algorithm>
#include <cstring>

void CMarkTable::Add(qsizetype row, const Marks& marks)
{
    if (!marks.Any()) {
        return;
    }
    Q_ASSERT(m_entries.empty() || qsizetype(m_entries.back().row) < row);
    Entry entry{quint64(row), quint64(marks.Count()), 0};
    const auto bytes = size_t(odbc::ValueMarks::BytesFor(marks.Count()));
    if (marks.Count() <= kInlineValues) {
        std::memcpy(&entry.bits, marks.Bytes(), bytes);
        m_entries.push_back(entry);
        return;
    }
    auto wide = std::make_unique_for_overwrite<quint8[]>(bytes);
    std::memcpy(wide.get(), marks.Bytes(), bytes);
    entry.bits = m_wide.size();
    m_wide.push_back(std::move(wide));
    try {
        m_entries.push_back(entry);
    } catch (...) {
        m_wide.pop_back();
        throw;
    }
}

const quint8* CMarkTable::BytesOf(const Entry& entry) const
{
    return entry.values > kInlineValues ? m_wide[size_t(entry.bits)].get()
                                        : reinterpret_cast<const quint8*>(&entry.bits);
}

CMarkTable::Marks CMarkTable::MarksAt(qsizetype index) const
{
    const Entry& entry = m_entries[size_t(index)];
    return {BytesOf(entry), int(entry.values)};
}

CMarkTable::Marks CMarkTable::Of(qsizetype row) const
{
    const auto found =
        std::lower_bound(m_entries.begin(), m_entries.end(), row,
                         [](const Entry& e, qsizetype r) { return qsizetype(e.row) < r; });
    if (found == m_entries.end() || qsizetype(found->row) != row) {
        return {};
    }
    return MarksAt(found - m_entries.begin());
}

void CMarkTable::DropFrom(qsizetype row)
{
    while (!m_entries.empty() && qsizetype(m_entries.back().row) >= row) {
        if (m_entries.back().values > kInlineValues) {
            m_wide.pop_back();
        }
        m_entries.pop_back();
    }
}

void CMarkTable::Clear()
{
    m_entries.clear();
    m_wide.clear();
}

qint64 CMarkTable::AllocatedBytes() const
{
    qint64 bytes = qint64(m_entries.size() * sizeof(Entry));
    for (const Entry& entry : m_entries) {
        if (entry.values > kInlineValues) {
            bytes += odbc::ValueMarks::BytesFor(int(entry.values)) + qint64(sizeof(void*));
        }
    }
    return bytes;
}
