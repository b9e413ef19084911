#pragma once

#include <QtGlobal>

#include <vector>

namespace odbc {

// What a row's text cannot say of its values: which are NULL (the text shows NULL and empty
// text alike) and which were cut short at the column's limit. Two bits a value, packed, so that
// rows can keep them beside their text for little.
class ValueMarks
{
public:
    // `values` values, none marked.
    void Reset(int values);
    void MarkNull(int value);
    void MarkCut(int value);

    int Count() const { return m_count; }
    // A value outside 0 .. Count() - 1 is neither.
    bool IsNull(int value) const { return Test(m_bits.data(), m_count, value, kNullBit); }
    bool IsCut(int value) const { return Test(m_bits.data(), m_count, value, kCutBit); }
    // Any value is marked: a row without marks needs nothing kept.
    bool Any() const { return m_any; }

    // The packed form: BytesFor(Count()) bytes.
    const quint8* Bytes() const { return m_bits.data(); }
    static qsizetype BytesFor(int values) { return (qsizetype(values) * 2 + 7) / 8; }
    // Reads the packed form of `values` values, as kept elsewhere.
    static bool IsNull(const quint8* bytes, int values, int value)
    {
        return Test(bytes, values, value, kNullBit);
    }
    static bool IsCut(const quint8* bytes, int values, int value)
    {
        return Test(bytes, values, value, kCutBit);
    }

private:
    static constexpr int kNullBit = 0;
    static constexpr int kCutBit = 1;

    static bool Test(const quint8* bytes, int values, int value, int bit)
    {
        if (value < 0 || value >= values) {
            return false;
        }
        const int position = value * 2 + bit;
        return (bytes[position / 8] >> (position % 8)) & 1;
    }
    void Set(int value, int bit);

    std::vector<quint8> m_bits;
    int m_count = 0;
    bool m_any = false;
};

} // namespace odbc
