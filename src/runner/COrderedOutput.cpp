#include "runner/COrderedOutput.h"

#include "execution/CPostElemArray.h"

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
    Spill(group);
}

void COrderedOutput::Spill(std::size_t group)
{
    QByteArray& block = m_groups[group].block;
    if (block.size() < kBlock) {
        return;
    }
    if (group == m_current) {
        Emit(m_groups[group], block);
    } else {
        m_groups[group].held.push_back(std::exchange(block, QByteArray()));
    }
}

void COrderedOutput::Complete(const QString& connection)
{
    Group& group = m_groups[IndexOf(connection)];
    group.complete = true;
    if (group.writer) {
        group.writer->EndSet();
    }
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
        Emit(group, group.block);
        group.block = QByteArray();
        ++m_current;
    }
}

void COrderedOutput::WriteHeld(Group& group)
{
    while (!group.held.empty()) {
        Emit(group, group.held.front());
        group.held.pop_front();
    }
}

void COrderedOutput::WritePending()
{
    if (m_current < m_groups.size()) {
        Emit(m_groups[m_current], m_groups[m_current].block);
    }
}

void COrderedOutput::Finish()
{
    EndSets();
    for (; m_current < m_groups.size(); ++m_current) {
        Group& group = m_groups[m_current];
        WriteHeld(group);
        Emit(group, group.block);
        group.block = QByteArray();
    }
    if (m_format) {
        QByteArray none;
        Write(MakeResultWriter(*m_format, none, {})->Epilogue());
    }
    if (!m_device) {
        std::fflush(m_out);
    }
}

void COrderedOutput::EndSets()
{
    for (Group& group : m_groups) {
        if (group.writer) {
            group.writer->EndSet();
        }
    }
}

void COrderedOutput::Emit(Group& group, QByteArray& bytes)
{
    if (bytes.isEmpty()) {
        return;
    }
    if (!group.written && m_anyWritten) {
        Write(m_between);
    }
    group.written = true;
    m_anyWritten = true;
    Write(std::string_view(bytes.constData(), size_t(bytes.size())));
    // Emptied, not freed: the streaming group fills it again.
    bytes.resize(0);
}

void COrderedOutput::Write(std::string_view bytes)
{
    if (bytes.empty()) {
        return;
    }
    if (m_device) {
        m_device->write(bytes.data(), qint64(bytes.size()));
        return;
    }
    std::fwrite(bytes.data(), 1, bytes.size(), m_out);
    std::fflush(m_out);
}

void COrderedOutput::SetFormat(ResultFormat format, std::FILE* errors)
{
    m_errors = errors;
    if (format == ResultFormat::Tsv) {
        return; // the element lines, as ever
    }
    m_format = format;
    QByteArray none;
    const auto writer = MakeResultWriter(format, none, {});
    m_between = writer->Between();
    Write(writer->Prologue());
}

void COrderedOutput::Take(const CPostElemArray& batch)
{
    if (!m_format) {
        Take(batch.m_connectionName, batch.All());
        return;
    }
    TakeSets(IndexOf(batch.m_connectionName), batch);
}

void COrderedOutput::TakeSets(std::size_t index, const CPostElemArray& batch)
{
    Group& group = m_groups[index];
    if (!group.writer) {
        group.block.reserve(kBlock + 4096);
        group.writer = MakeResultWriter(*m_format, group.block, {});
    }
    const CElemArray::Elements& elements = batch.All();
    auto start = batch.SetStarts().cbegin();
    for (qsizetype i = 0; i < qsizetype(elements.size()); ++i) {
        const CBufferElem& element = elements[size_t(i)];
        if (element.m_kind == ElemHeader && start != batch.SetStarts().cend() &&
            start->element == i) {
            CSetHeader header{group.name, start->batch, start->result, element.m_text.split(u'\t')};
            group.columns = header.columns.size();
            group.writer->BeginSet(header);
            ++start;
        } else if (element.m_kind == ElemRow && group.writer->InSet()) {
            group.writer->WriteRow(
                group.fields.Split(element.m_text, group.columns, batch.Marks().Of(i)));
        } else if (element.m_kind == ElemError && m_errors) {
            QString line = QStringLiteral("%1: %2\n").arg(group.name, element.m_text);
            std::fputs(line.toUtf8().constData(), m_errors);
        }
        Spill(index);
    }
}
