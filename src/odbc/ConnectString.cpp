#include "odbc/ConnectString.h"

#include <QRegularExpression>

namespace odbc {

namespace {

bool NeedsQuoting(const QString& value)
{
    if (value.isEmpty()) {
        return false;
    }
    if (value.front().isSpace() || value.back().isSpace()) {
        return true;
    }
    for (QChar c : value) {
        if (c == u';' || c == u'{' || c == u'}' || c == u'=') {
            return true;
        }
    }
    return false;
}

// Reads one value starting at `pos`: braced (with "}}" for a brace inside) or
// up to the next semicolon. Leaves `pos` on the separator after it.
QString ReadValue(const QString& text, qsizetype& pos)
{
    QString value;
    if (pos < text.size() && text[pos] == u'{') {
        for (++pos; pos < text.size(); ++pos) {
            if (text[pos] == u'}') {
                if (pos + 1 < text.size() && text[pos + 1] == u'}') {
                    value += u'}';
                    ++pos;
                    continue;
                }
                ++pos;
                break;
            }
            value += text[pos];
        }
    }
    const qsizetype end = text.indexOf(u';', pos);
    value += text.mid(pos, end < 0 ? -1 : end - pos);
    pos = end < 0 ? text.size() : end;
    return value;
}

const QString kMask = QStringLiteral("****");

// Short enough that masking it inside words would hide more of the message than it protects.
constexpr qsizetype kShortPassword = 4;

bool IsWordCharacter(const QString& text, qsizetype pos)
{
    return pos >= 0 && pos < text.size() && (text[pos].isLetterOrNumber() || text[pos] == u'_');
}

QString MaskAttributes(const QString& text)
{
    // A braced value may hold semicolons and doubled closing braces; a plain one ends at the
    // next semicolon or brace. Either ends with the line: the next diagnostic record is not part
    // of it. One per thread: every worker thread reports its own connection's errors.
    thread_local const QRegularExpression attribute(
        QStringLiteral(R"(\b(PWD|PASSWORD)(\s*=\s*)(\{(?:[^}\r\n]|\}\})*\}?|[^;}\r\n]*))"),
        QRegularExpression::CaseInsensitiveOption);
    QString masked = text;
    masked.replace(attribute, QStringLiteral("\\1\\2") + kMask);
    return masked;
}

QString MaskOccurrences(const QString& text, const QString& password)
{
    QString masked;
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(password); at >= 0; at = text.indexOf(password, at + 1)) {
        const qsizetype end = at + password.size();
        const bool standsAlone = !IsWordCharacter(text, at - 1) && !IsWordCharacter(text, end);
        if (at < from || (password.size() < kShortPassword && !standsAlone)) {
            continue;
        }
        masked += QStringView(text).sliced(from, at - from);
        masked += kMask;
        from = end;
    }
    masked += QStringView(text).sliced(from);
    return masked;
}

} // namespace

QString MaskPassword(const QString& text, const QString& password)
{
    const QString masked = MaskAttributes(text);
    return password.isEmpty() ? masked : MaskOccurrences(masked, password);
}

QString QuoteConnectValue(const QString& value)
{
    if (!NeedsQuoting(value)) {
        return value;
    }
    QString quoted = value;
    quoted.replace(u"}"_qs, u"}}"_qs);
    return u'{' + quoted + u'}';
}

QString ConnectValue(const QString& connectString, const QString& key)
{
    // Walk attribute by attribute, so that a braced value is never searched.
    qsizetype pos = 0;
    while (pos < connectString.size()) {
        const qsizetype equals = connectString.indexOf(u'=', pos);
        if (equals < 0) {
            break;
        }
        const QStringView name = QStringView(connectString).sliced(pos, equals - pos);
        pos = equals + 1;
        QString value = ReadValue(connectString, pos);
        if (name == key) {
            return value;
        }
        ++pos; // the semicolon
    }
    return {};
}

} // namespace odbc
