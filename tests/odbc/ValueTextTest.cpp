// Row text from bound values: the UTF-8 path must give what the wide path gives.

#include "odbc/ValueText.h"

#include <QString>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Both forms of `value` in elements of the size a column of `maxChars`
// characters gets, then the text each path appends after "x".
struct BothPaths
{
    QString wide;
    QString utf8;
};

BothPaths Append(const QString& value, SQLLEN maxChars)
{
    std::vector<SQLWCHAR> wideElement(static_cast<std::size_t>(maxChars) + 1, 0);
    // What a driver writes: as much as fits, then the terminator.
    const qsizetype wideKept = std::min<qsizetype>(value.size(), maxChars);
    std::copy_n(reinterpret_cast<const SQLWCHAR*>(value.utf16()), wideKept, wideElement.begin());

    const QByteArray bytes = value.toUtf8();
    const SQLLEN utf8Room = 4 * maxChars + 2;
    std::vector<char> utf8Element(static_cast<std::size_t>(utf8Room), 0);
    const qsizetype utf8Kept = std::min<qsizetype>(bytes.size(), utf8Room - 1);
    std::copy_n(bytes.constData(), utf8Kept, utf8Element.begin());

    BothPaths result{u"x"_qs, u"x"_qs};
    odbc::AppendWideValue(result.wide, wideElement.data(), maxChars + 1);
    const bool cut = odbc::AppendUtf8Value(result.utf8, utf8Element.data(), utf8Room, maxChars);
    // Said when the wide form was cut, and only then.
    EXPECT_EQ(cut, value.size() > maxChars) << value.toStdString();
    return result;
}

} // namespace

TEST(ValueText, Utf8AndWideGiveTheSameText)
{
    const QString values[] = {
        u""_qs,
        u"plain"_qs,
        u"Grüße"_qs,
        u"日本語"_qs,
        u"a😀b"_qs,
        u"tab\there\t"_qs,
        u"ü\tü"_qs,
        QString(20, u'é'),
        QString(20, u'語'),
        u"😀😀😀😀😀😀"_qs,
        u"ascii long enough to be cut"_qs,
    };
    for (const QString& value : values) {
        for (SQLLEN maxChars : {1, 3, 8, 30}) {
            const BothPaths shown = Append(value, maxChars);
            EXPECT_EQ(shown.utf8, shown.wide)
                << value.toStdString() << " in " << maxChars << " characters";
            EXPECT_LE(shown.utf8.size(), maxChars + 1);
            EXPECT_FALSE(shown.utf8.contains(u'\t'));
        }
    }
}

TEST(ValueText, Utf8StopsAtTheTerminatorOrTheElementEnd)
{
    const char withNul[] = {'a', 'b', '\0', 'c', 'd'};
    QString text;
    odbc::AppendUtf8Value(text, withNul, sizeof withNul, 10);
    EXPECT_EQ(text, u"ab"_qs);

    // A driver that fills the element to the last byte leaves no terminator.
    const char full[] = {'a', 'b', 'c', 'd'};
    text.clear();
    odbc::AppendUtf8Value(text, full, sizeof full, 10);
    EXPECT_EQ(text, u"abcd"_qs);
}

TEST(ValueText, BrokenUtf8BecomesReplacementCharacters)
{
    // A cut in the middle of a character, as a byte-counting driver may leave it.
    const char cut[] = {'a', '\xe8', '\xaa', '\0'};
    QString text;
    odbc::AppendUtf8Value(text, cut, sizeof cut, 10);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_EQ(text.front(), u'a');
    EXPECT_EQ(text.back(), QChar(QChar::ReplacementCharacter));
}
