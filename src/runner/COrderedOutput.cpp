#include "runner/COrderedOutput.h"

#include <algorithm>
#include <charconv>

namespace {

// Room for an element's kind in decimal.
constexpr qsizetype kKindDigits = 11;

} // namespace

COrderedOutput::COrderedOutput(std::FILE* out, const QStringList& order) : m_out(out)
{
    for (const QString& name : order) {
        IndexOf(name);
    }
}

std::size_t COrderedOutput::IndexOf(const QString& connection)
{
    for (std::size_t i = 0; i < m_groups.size(); ++i) {
        if (m_groups[i].name == connection) {
            return i;
        }
    }
    m_groups.emplace_back().name = connection;
    return m_groups.size() - 1;
}

void COrderedOutput::Take(const QString& connection, const CElemArray::Elements& elements)
{
    const std::size_t group = IndexOf(connection);
    if (!m_groups[group].titled) {
        m_groups[group].titled = true;
        Encode(group, ElemConnection, connection);
    }
    for (const CBufferElem& element : elements) {
        Encode(group, element.m_kind, element.m_text);
    }
}

void COrderedOutput::Encode(std::size_t group, int kind, QStringView text)
{
    QByteArray& block = m_groups[group].block;
    if (block.capacity() == 0) {
        block.reserve(kBlock + 4096);
    }
    // Written straight into the block: no line or array of its own a row.
    const qsizetype at = block.size();
    block.resize(at + kKindDigits + 1 + m_toUtf8.requiredSpace(text.size()) + 1);
    char* out = std::to_chars(block.data() + at, block.data() + at + kKindDigits, kind).ptr;
    *out++ = '\t';
    char* const textStart = out;
    out = m_toUtf8.appendToBuffer(out, text);
    // One element a line, whatever its values hold. In UTF-8 no other character's bytes are
    // those of a line break.
    std::replace_if(
        textStart, out, [](char c) { return c == '\r' || c == '\n'; }, ' ');
    *out++ = '\n';
    block.resize(out - block.constData());
    if (block.size() < kBlock) {
        return;
    }
    if (group == m_current) {
        Emit(block);
    } else {
        m_groups[group].held.push_back(std::exchange(block, QByteArray()));
    }
}

void COrderedOutput::Complete(const QString& connection)
{
    m_groups[IndexOf(connection)].complete = true;
    Advance();
}

void COrderedOutput::Advance()
{
    while (m_current < m_groups.size()) {
        Group& group = m_groups[m_current];
        WriteHeld(group);
        if (!group.complete) {
            return;
        }
        Emit(group.block);
        group.block = QByteArray();
        ++m_current;
    }
}

void COrderedOutput::WriteHeld(Group& group)
{
    while (!group.held.empty()) {
        Emit(group.held.front());
        group.held.pop_front();
    }
}

void COrderedOutput::WritePending()
{
    if (m_current < m_groups.size()) {
        Emit(m_groups[m_current].block);
    }
}

void COrderedOutput::Finish()
{
    for (; m_current < m_groups.size(); ++m_current) {
        Group& group = m_groups[m_current];
        WriteHeld(group);
        Emit(group.block);
        group.block = QByteArray();
    }
    std::fflush(m_out);
}

void COrderedOutput::Emit(QByteArray& bytes)
{
    if (bytes.isEmpty()) {
        return;
    }
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), m_out);
    std::fflush(m_out);
    // Emptied, not freed: the streaming group fills it again.
    bytes.resize(0);
}
