#include "execution/CSqlScanner.h"

namespace {

// As PostgreSQL reads names: ASCII letters, the underscore and every character beyond ASCII, then
// ASCII digits too.
bool IsIdentifierStart(QChar c)
{
    const char16_t u = c.unicode();
    return u >= 0x80 || u == u'_' || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}

bool IsIdentifierPart(QChar c)
{
    return IsIdentifierStart(c) || (c.unicode() >= u'0' && c.unicode() <= u'9');
}

} // namespace

CSqlScanner::Stretch CSqlScanner::QuietAfter(qsizetype pos)
{
    if (m_last.end > pos) {
        return m_last;
    }
    const qsizetype size = m_text.size();
    for (qsizetype at = std::max(m_scanned, m_last.end); at < size; ++at) {
        const Stretch found = OpensAt(at);
        if (found.end < 0) {
            continue;
        }
        m_last = found;
        m_scanned = found.end;
        if (found.end > pos) {
            return found;
        }
        at = found.end - 1;
    }
    m_scanned = size;
    m_last = {size, size, Kind::Quote};
    return m_last;
}

bool CSqlScanner::IsBlank(QStringView text)
{
    CSqlScanner scanner(text);
    qsizetype pos = 0;
    while (pos < text.size()) {
        const Stretch quiet = scanner.QuietAfter(pos);
        for (; pos < quiet.start; ++pos) {
            if (!text[pos].isSpace()) {
                return false;
            }
        }
        if (quiet.start >= text.size()) {
            break;
        }
        if (quiet.kind != Kind::Comment) {
            return false;
        }
        pos = quiet.end;
    }
    return true;
}

QString CSqlScanner::BlankSemicolonComments(const QString& text)
{
    QString blanked = text;
    CSqlScanner scanner(text);
    for (qsizetype pos = 0; pos < text.size();) {
        const Stretch quiet = scanner.QuietAfter(pos);
        if (quiet.start >= text.size()) {
            break;
        }
        const QStringView comment = QStringView(text).sliced(quiet.start, quiet.end - quiet.start);
        if (quiet.kind == Kind::Comment && comment.contains(u';')) {
            for (qsizetype at = quiet.start; at < quiet.end; ++at) {
                if (blanked[at] != u'\n' && blanked[at] != u'\r') {
                    blanked[at] = u' ';
                }
            }
        }
        pos = quiet.end;
    }
    return blanked;
}

CSqlScanner::Stretch CSqlScanner::OpensAt(qsizetype pos) const
{
    const QChar c = m_text[pos];
    const QChar next = pos + 1 < m_text.size() ? m_text[pos + 1] : QChar();
    switch (c.unicode()) {
    case u'\'':
    case u'"':
        return {pos, QuoteEnd(pos, c, true), Kind::Quote};
    case u'`':
        return {pos, QuoteEnd(pos, c, false), Kind::Quote};
    case u'[':
        return {pos, QuoteEnd(pos, u']', false), Kind::Quote};
    case u'-':
        if (next == u'-') {
            return {pos, LineCommentEnd(pos), Kind::Comment};
        }
        break;
    case u'/':
        if (next == u'*') {
            const QStringView body = m_text.sliced(pos + 2);
            const bool executed = body.startsWith(u'!') || body.startsWith(u"M!");
            return {pos, BlockCommentEnd(pos), executed ? Kind::ExecutedComment : Kind::Comment};
        }
        break;
    case u'$':
        if (const qsizetype mark = DollarMarkLength(pos)) {
            return {pos, DollarQuoteEnd(pos, mark), Kind::Quote};
        }
        break;
    default:
        break;
    }
    return {pos, -1, Kind::Quote};
}

qsizetype CSqlScanner::QuoteEnd(qsizetype pos, QChar close, bool backslashEscapes) const
{
    const qsizetype size = m_text.size();
    for (qsizetype at = pos + 1; at < size; ++at) {
        const QChar c = m_text[at];
        if (backslashEscapes && c == u'\\') {
            ++at;
        } else if (c == close) {
            // A doubled closing mark stands for itself inside the quote.
            if (at + 1 < size && m_text[at + 1] == close) {
                ++at;
                continue;
            }
            return at + 1;
        }
    }
    return size;
}

qsizetype CSqlScanner::LineCommentEnd(qsizetype pos) const
{
    // The line break itself is white space that a separator may stand on.
    const qsizetype end = m_text.indexOf(u'\n', pos + 2);
    return end < 0 ? m_text.size() : end;
}

qsizetype CSqlScanner::BlockCommentEnd(qsizetype pos) const
{
    const qsizetype end = m_text.indexOf(u"*/", pos + 2);
    return end < 0 ? m_text.size() : end + 2;
}

qsizetype CSqlScanner::DollarMarkLength(qsizetype pos) const
{
    // In "a$b$" or "$1" the dollar is part of a name or a parameter, not a quote.
    if (pos > 0 && (IsIdentifierPart(m_text[pos - 1]) || m_text[pos - 1] == u'$')) {
        return 0;
    }
    qsizetype at = pos + 1;
    if (at < m_text.size() && IsIdentifierStart(m_text[at])) {
        while (at < m_text.size() && IsIdentifierPart(m_text[at])) {
            ++at;
        }
    }
    return at < m_text.size() && m_text[at] == u'$' ? at + 1 - pos : 0;
}

qsizetype CSqlScanner::DollarQuoteEnd(qsizetype pos, qsizetype markLength) const
{
    const QStringView mark = m_text.sliced(pos, markLength);
    const qsizetype end = m_text.indexOf(mark, pos + markLength);
    return end < 0 ? m_text.size() : end + markLength;
}
