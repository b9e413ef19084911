#include "odbc/ValueText.h"

#include <cstring>

namespace odbc {

namespace {

void BlankTabs(QString& text, qsizetype from)
{
    QChar* data = text.data();
    for (qsizetype i = from; i < text.size(); ++i) {
        if (data[i] == u'\t') {
            data[i] = u' ';
        }
    }
}

} // namespace

void AppendWideValue(QString& text, const SQLWCHAR* element, SQLLEN maxChars)
{
    SQLLEN length = 0;
    while (length < maxChars && element[length] != 0) {
        ++length;
    }
    const qsizetype start = text.size();
    text.append(reinterpret_cast<const QChar*>(element), static_cast<qsizetype>(length));
    BlankTabs(text, start);
}

bool AppendUtf8Value(QString& text, const char* element, SQLLEN maxBytes, SQLLEN maxChars)
{
    const auto length = static_cast<qsizetype>(strnlen(element, static_cast<size_t>(maxBytes)));
    const qsizetype start = text.size();
    qsizetype ascii = 0;
    while (ascii < length && static_cast<unsigned char>(element[ascii]) < 0x80) {
        ++ascii;
    }
    if (ascii == length) {
        // Most values are ASCII: widen them in place, without a decoder.
        const qsizetype kept = std::min<qsizetype>(length, maxChars);
        text.resize(start + kept);
        QChar* out = text.data() + start;
        for (qsizetype i = 0; i < kept; ++i) {
            out[i] = QChar(element[i] == '\t' ? u' ' : char16_t(element[i]));
        }
        return kept < length;
    }
    text.append(QString::fromUtf8(element, length));
    const bool cut = text.size() - start > maxChars;
    if (cut) {
        text.truncate(start + static_cast<qsizetype>(maxChars));
    }
    BlankTabs(text, start);
    return cut;
}

QString CutValueWarning()
{
    return QStringLiteral("01004 String data, right truncated");
}

} // namespace odbc
