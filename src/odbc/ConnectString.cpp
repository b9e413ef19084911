#include "ConnectString.h"

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

} // namespace

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
