#pragma once

#include <QByteArray>
#include <QStringEncoder>
#include <QStringView>

#include <string_view>
#include <type_traits>

// Appends UTF-8 to a byte array that its owner drains: writers put values straight into the
// bytes they write, without a string of their own a value.
class CUtf8Out
{
public:
    explicit CUtf8Out(QByteArray& bytes) : m_bytes(&bytes) {}

    void Text(QStringView text);
    void Ascii(std::string_view text) { m_bytes->append(text.data(), qsizetype(text.size())); }
    void Char(char c) { m_bytes->append(c); }
    void Number(long long value);
    QByteArray& Bytes() { return *m_bytes; }

private:
    QByteArray* m_bytes;
    // Stateless: half a surrogate pair that a cut left at a value's end is not carried over to
    // the next value.
    QStringEncoder m_toUtf8{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
};

// Writes `text` with each character for which `replacement` gives a text replaced by it (an
// empty one drops it), the runs between them as they are; nullptr keeps the character.
// A replacement that takes two arguments gets the character's index in `text` as well.
template <typename Replacement>
void AppendEscaped(CUtf8Out& out, QStringView text, Replacement replacement)
{
    qsizetype run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char* with;
        if constexpr (std::is_invocable_v<Replacement, QChar, qsizetype>) {
            with = replacement(text[i], i);
        } else {
            with = replacement(text[i]);
        }
        if (!with) {
            continue;
        }
        out.Text(text.sliced(run, i - run));
        out.Ascii(with);
        run = i + 1;
    }
    out.Text(text.sliced(run));
}
