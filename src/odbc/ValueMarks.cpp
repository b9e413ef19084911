#include "odbc/ValueMarks.h"

#include <algorithm>

namespace odbc {

void ValueMarks::Reset(int values)
{
    m_count = std::max(values, 0);
    m_bits.assign(size_t(BytesFor(m_count)), 0);
    m_any = false;
}

void ValueMarks::MarkNull(int value)
{
    Set(value, kNullBit);
}

void ValueMarks::MarkCut(int value)
{
    Set(value, kCutBit);
}

void ValueMarks::Set(int value, int bit)
{
    if (value < 0 || value >= m_count) {
        return;
    }
    const int position = value * 2 + bit;
    m_bits[size_t(position / 8)] |= quint8(1U << (position % 8));
    m_any = true;
}

} // namespace odbc
