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

void CPackedRows::Append(int kind, QStringView text)
{
    const bool validUtf16 = text.isValidUtf16();
    const qsizetype room = validUtf16 ? kMaxUtf8BytesPerUnit * text.size() : 2 * text.size();
    if (room > qsizetype(std::numeric_limits<quint32>::max())) {
        throw std::bad_alloc();
    }
    Block& block = BlockWithRoom(room + 1); // + 1: a UTF-16 row starts on an even byte
    quint32 start = block.used;
    char* out = block.bytes.get() + start;
    quint8 form = Utf16;
    qsizetype length = 0;
    if (validUtf16) {
        QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        length = encoder.appendToBuffer(out, text) - out;
        form = length == text.size() ? Ascii : Utf8;
    } else {
        start += start % 2;
        out = block.bytes.get() + start;
        length = 2 * text.size();
        std::memcpy(out, text.utf16(), size_t(length));
    }
    const qsizetype fields = text.count(u'\t') + 1;
    m_rows.push_back({quint32(&block - m_blocks.data()), start, quint32(length), quint8(kind), form,
                      quint16(std::min<qsizetype>(fields, kFieldCountUnknown))});
    block.used = start + quint32(length);
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

QStringView CPackedRows::Wide(const Row& row) const
{
    return {reinterpret_cast<const char16_t*>(Bytes(row)), qsizetype(row.length / 2)};
}

QString CPackedRows::Decode(const Row& row, const char* bytes, qsizetype length)
{
    switch (row.form) {
    case Ascii:
        return QString::fromLatin1(bytes, length);
    case Utf8:
        return QString::fromUtf8(bytes, length);
    default:
        return QStringView(reinterpret_cast<const char16_t*>(bytes), length / 2).toString();
    }
}

QString CPackedRows::Text(qsizetype row) const
{
    const Row& entry = m_rows[size_t(row)];
    return Decode(entry, Bytes(entry), entry.length);
}

int CPackedRows::FieldCount(qsizetype row) const
{
    const Row& entry = m_rows[size_t(row)];
    if (entry.fieldCount != kFieldCountUnknown) {
        return entry.fieldCount;
    }
    if (entry.form == Utf16) {
        return int(Wide(entry).count(u'\t')) + 1;
    }
    const char* bytes = Bytes(entry);
    return int(std::count(bytes, bytes + entry.length, kFieldSeparator)) + 1;
}

QString CPackedRows::Field(qsizetype row, int index) const
{
    if (index < 0 || index >= FieldCount(row)) {
        return {};
    }
    const Row& entry = m_rows[size_t(row)];
    if (entry.form == Utf16) {
        const QStringView text = Wide(entry);
        qsizetype begin = 0;
        for (int skipped = 0; skipped < index; ++skipped) {
            begin = text.indexOf(u'\t', begin) + 1;
        }
        const qsizetype end = text.indexOf(u'\t', begin);
        return (end < 0 ? text.sliced(begin) : text.sliced(begin, end - begin)).toString();
    }
    const char* begin = Bytes(entry);
    const char* const end = begin + entry.length;
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
