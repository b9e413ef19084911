#include "execution/CPackedRows.h"

#include <QStringEncoder>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr char kFieldSeparator = '\t';

// UTF-8 takes at most three bytes for a UTF-16 unit (four for a pair of two).
constexpr qsizetype kMaxUtf8BytesPerUnit = 3;

const char* FindSeparator(const char* from, const char* end)
{
    const void* found = std::memchr(from, kFieldSeparator, size_t(end - from));
    return found ? static_cast<const char*>(found) : end;
}

} // namespace

void CPackedRows::Append(int kind, QStringView text, const CMarkTable::Marks& marks)
{
    const qsizetype markBytes = marks.Any() ? odbc::ValueMarks::BytesFor(marks.Count()) : 0;
    // Room for UTF-8 is enough for the UTF-16 form too (two bytes a unit).
    const qsizetype room = kMaxUtf8BytesPerUnit * text.size() + markBytes;
    if (room > qsizetype(std::numeric_limits<quint32>::max())) {
        throw std::bad_alloc();
    }
    Block& block = BlockWithRoom(room);
    char* const out = block.bytes.get() + block.used;
    const Encoded encoded = Encode(text, out);
    Row row{quint32(&block - m_blocks.data()), block.used, quint8(kind), encoded.form,
            quint16(std::min<qsizetype>(encoded.tabs + 1, kFieldCountUnknown))};
    // Marks are read back by the row's field count: they must have one each.
    const bool marked = markBytes > 0 && row.fieldCount == marks.Count();
    if (marked) {
        std::memcpy(out + encoded.length, marks.Bytes(), size_t(markBytes));
        row.form |= kMarkedFlag;
    }
    m_rows.push_back(row);
    block.used += quint32(encoded.length + (marked ? markBytes : 0));
}

qsizetype CPackedRows::MarkBytes(const Row& row)
{
    return row.form & kMarkedFlag ? odbc::ValueMarks::BytesFor(row.fieldCount) : 0;
}

CMarkTable::Marks CPackedRows::Marks(qsizetype row) const
{
    const Row& entry = m_rows[size_t(row)];
    if (!(entry.form & kMarkedFlag)) {
        return {};
    }
    return {reinterpret_cast<const quint8*>(Bytes(entry) + Length(row)), entry.fieldCount};
}

CPackedRows::Encoded CPackedRows::Encode(QStringView text, char* out)
{
    // Most result text is ASCII: copied unit by unit, its tabs counted on the way, in one pass.
    const char16_t* const units = text.utf16();
    const qsizetype size = text.size();
    Encoded encoded;
    qsizetype i = 0;
    for (; i < size && units[i] < 0x80; ++i) {
        out[i] = char(units[i]);
        encoded.tabs += units[i] == u'\t';
    }
    if (i == size) {
        encoded.length = size;
        return encoded;
    }
    const QStringView rest = text.sliced(i);
    encoded.tabs += rest.count(u'\t');
    if (rest.isValidUtf16()) {
        QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        encoded.length = encoder.appendToBuffer(out + i, rest) - out;
        encoded.form = Utf8;
    } else {
        encoded.length = 2 * size;
        encoded.form = Utf16;
        std::memcpy(out, units, size_t(encoded.length));
    }
    return encoded;
}

CPackedRows::Block& CPackedRows::BlockWithRoom(qsizetype bytes)
{
    if (!m_blocks.empty()) {
        Block& last = m_blocks.back();
        if (last.size - last.used >= bytes) {
            return last;
        }
    }
    const quint32 next =
        m_blocks.empty() ? kFirstBlockBytes : std::min(2 * m_blocks.back().size, kBlockBytes);
    const quint32 size = std::max<quint32>(next, quint32(bytes));
    Block block{std::make_unique_for_overwrite<char[]>(size), size, 0};
    m_blocks.push_back(std::move(block));
    return m_blocks.back();
}

const char* CPackedRows::Bytes(const Row& row) const
{
    return m_blocks[row.block].bytes.get() + row.start;
}

qsizetype CPackedRows::Length(qsizetype row) const
{
    const Row& entry = m_rows[size_t(row)];
    const size_t next = size_t(row) + 1;
    const quint32 end = next < m_rows.size() && m_rows[next].block == entry.block
                            ? m_rows[next].start
                            : m_blocks[entry.block].used;
    return qsizetype(end - entry.start) - MarkBytes(entry);
}

QString CPackedRows::Decode(const Row& row, const char* bytes, qsizetype length)
{
    switch (FormOf(row)) {
    case Ascii:
        return QString::fromLatin1(bytes, length);
    case Utf8:
        return QString::fromUtf8(bytes, length);
    default: {
        // Copied, not viewed: the units need not lie on an even address.
        QString text(length / 2, Qt::Uninitialized);
        std::memcpy(text.data(), bytes, size_t(length / 2) * sizeof(char16_t));
        return text;
    }
    }
}

QString CPackedRows::Text(qsizetype row) const
{
    const Row& entry = m_rows[size_t(row)];
    return Decode(entry, Bytes(entry), Length(row));
}

int CPackedRows::FieldCount(qsizetype row) const
{
    const Row& entry = m_rows[size_t(row)];
    if (entry.fieldCount != kFieldCountUnknown) {
        return entry.fieldCount;
    }
    if (FormOf(entry) == Utf16) {
        return int(Text(row).count(u'\t')) + 1;
    }
    const char* bytes = Bytes(entry);
    return int(std::count(bytes, bytes + Length(row), kFieldSeparator)) + 1;
}

QString CPackedRows::Field(qsizetype row, int index) const
{
    if (index < 0 || index >= FieldCount(row)) {
        return {};
    }
    const Row& entry = m_rows[size_t(row)];
    if (FormOf(entry) == Utf16) {
        // Rare (units that are no valid UTF-16): the whole text, then the field.
        return Text(row).section(u'\t', index, index);
    }
    const char* begin = Bytes(entry);
    const char* const end = begin + Length(row);
    for (int skipped = 0; skipped < index; ++skipped) {
        begin = FindSeparator(begin, end) + 1;
    }
    const char* fieldEnd = FindSeparator(begin, end);
    return Decode(entry, begin, fieldEnd - begin);
}

CPackedRows::Mark CPackedRows::Position() const
{
    return {m_rows.size(), m_blocks.size(), m_blocks.empty() ? 0 : m_blocks.back().used};
}

void CPackedRows::RollBack(const Mark& mark)
{
    m_rows.resize(mark.rows);
    m_blocks.resize(mark.blocks);
    if (!m_blocks.empty()) {
        m_blocks.back().used = mark.lastBlockUsed;
    }
}

qint64 CPackedRows::HeldBytes(QStringView text)
{
    qint64 bytes = qint64(sizeof(Row));
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        bytes += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
    }
    return bytes;
}

qint64 CPackedRows::AllocatedBytes() const
{
    qint64 bytes = qint64(m_rows.size() * sizeof(Row));
    for (const Block& block : m_blocks) {
        bytes += block.size;
    }
    return bytes;
}
