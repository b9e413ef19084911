#include "execution/CPostElemArray.h"

#include <algorithm>

namespace {

// Characters of one block: about a hundred rows of five short columns.
constexpr qsizetype kBlockChars = 8192;

} // namespace

char16_t* CPostElemArray::Room(qsizetype length)
{
    if (m_blocksUsed == 0 || m_used + length > m_blocks[m_blocksUsed - 1].size) {
        if (m_blocksUsed == m_blocks.size()) {
            m_blocks.emplace_back();
        }
        Block& block = m_blocks[m_blocksUsed++];
        if (block.size < length) {
            block.size = std::max(length, kBlockChars);
            block.chars = std::make_unique_for_overwrite<char16_t[]>(std::size_t(block.size));
        }
        m_used = 0;
    }
    char16_t* room = m_blocks[m_blocksUsed - 1].chars.get() + m_used;
    m_used += length;
    return room;
}

void CPostElemArray::AddText(int kind, QStringView text)
{
    if (text.isEmpty()) {
        Add(kind, QString());
        return;
    }
    char16_t* copy = Room(text.size());
    std::copy(text.utf16(), text.utf16() + text.size(), copy);
    Add(kind, QString::fromRawData(reinterpret_cast<const QChar*>(copy), text.size()));
}

void CPostElemArray::AddRow(QStringView text, const odbc::ValueMarks& marks)
{
    if (marks.Any()) {
        m_marks.Add(size(), marks);
    }
    try {
        AddText(ElemRow, text);
    } catch (...) {
        m_marks.DropFrom(size());
        throw;
    }
}

void CPostElemArray::AddHeader(QStringView text, int batch, int result)
{
    m_setStarts.reserve(m_setStarts.size() + 1);
    AddText(ElemHeader, text);
    m_setStarts.push_back({size() - 1, batch, result});
}

void CPostElemArray::RemoveAllElements()
{
    CElemArray::RemoveAllElements();
    m_setStarts.clear();
    m_marks.Clear();
}

void CPostElemArray::DetachTexts()
{
    if (m_blocksUsed == 0) {
        return;
    }
    for (qsizetype i = 0; i < size(); ++i) {
        QString& text = At(i).m_text;
        // Borrowed texts are shared (so are literals, copied needlessly but harmlessly); the
        // others are the elements' own.
        if (!text.isEmpty() && !text.isDetached()) {
            text = QString(text.constData(), text.size());
        }
    }
    // Their copies are all that is kept: a batch that waits to be freed holds no second one.
    m_blocks.clear();
    m_blocksUsed = 0;
    m_used = 0;
}

void CPostElemArray::Recycle()
{
    RemoveAllElements();
    reserve(m_growBy);
    m_blocksUsed = 0;
    m_used = 0;
    m_handled.store(0, std::memory_order_relaxed);
}
