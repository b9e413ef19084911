#pragma once

#include "odbc/ValueMarks.h"

#include <QtGlobal>

#include <memory>
#include <vector>

// The value marks (NULL, cut short) of a batch's rows that have any, by row number. Most rows
// have none and cost nothing here; a marked row of up to 32 values costs one entry. Rows are
// added in ascending order.
class CMarkTable
{
public:
    // What one row's marks say; a row without marks says nothing of any value.
    class Marks
    {
    public:
        Marks() = default;
        Marks(const quint8* bytes, int values) : m_bytes(bytes), m_values(values) {}
        bool IsNull(int value) const
        {
            return m_bytes && odbc::ValueMarks::IsNull(m_bytes, m_values, value);
        }
        bool IsCut(int value) const
        {
            return m_bytes && odbc::ValueMarks::IsCut(m_bytes, m_values, value);
        }
        bool Any() const { return m_bytes != nullptr; }
        int Count() const { return m_values; }
        const quint8* Bytes() const { return m_bytes; }

    private:
        const quint8* m_bytes = nullptr;
        int m_values = 0;
    };

    // `row` is above every row added so far. When an allocation fails, std::bad_alloc leaves
    // the table as it was.
    void Add(qsizetype row, const Marks& marks);
    void Add(qsizetype row, const odbc::ValueMarks& marks)
    {
        Add(row, Marks(marks.Bytes(), marks.Count()));
    }

    // The row's marks, valid until the table changes.
    Marks Of(qsizetype row) const;
    // Entries in row order, for copying a table to another: `index` in 0 .. Count() - 1.
    qsizetype Count() const { return qsizetype(m_entries.size()); }
    qsizetype RowAt(qsizetype index) const { return m_entries[size_t(index)].row; }
    Marks MarksAt(qsizetype index) const;

    // Forgets the marks of rows from `row` on: what a caller undoes after a failed intake.
    void DropFrom(qsizetype row);
    void Clear();
    qint64 AllocatedBytes() const;

private:
    static constexpr int kInlineValues = 32; // two bits each in `bits`

    // 16 bytes: a table of a run's NULLs costs little beside the rows' own text.
    struct Entry
    {
        quint64 row : 48;
        quint64 values : 16; // a result has at most 32,767 columns
        quint64 bits;        // up to kInlineValues values, else the index in m_wide
    };
    static_assert(sizeof(Entry) == 16);
    const quint8* BytesOf(const Entry& entry) const;

    std::vector<Entry> m_entries;
    std::vector<std::unique_ptr<quint8[]>> m_wide; // the marks of rows of more values
};
