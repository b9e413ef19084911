// What a run's text becomes before it is recorded: passwords masked, the text cut at a size.

#include "history/CHistoryText.h"

#include <gtest/gtest.h>

TEST(HistoryText, MasksEveryPasswordLongestFirst)
{
    const QString text = u"CONNECT 'abc' 'abcdef'; SELECT 'abcdef', 'xabcx';"_qs;
    const QString masked = CHistoryText::Scrub(text, {u"abc"_qs, u"abcdef"_qs, QString()});
    const QString mask = CHistoryText::Mask();
    EXPECT_EQ(masked, u"CONNECT '%1' '%1'; SELECT '%1', 'x%1x';"_qs.arg(mask));
    // Exact characters only: another case is another password.
    EXPECT_EQ(CHistoryText::Scrub(u"ABC abc"_qs, {u"abc"_qs}), u"ABC "_qs + mask);
}

TEST(HistoryText, CutsAtABytesLimitBetweenCharacters)
{
    bool cut = true;
    EXPECT_EQ(CHistoryText::CutToBytes(u"short"_qs, 100, cut), u"short"_qs);
    EXPECT_FALSE(cut);
    // "é" takes two bytes, "€" three, "😀" four (two UTF-16 units).
    const QString text = u"aé€😀b"_qs;
    const QStringList expected = {u""_qs,    u"a"_qs,   u"a"_qs,    u"aé"_qs,
                                  u"aé"_qs,  u"aé"_qs,  u"aé€"_qs,  u"aé€"_qs,
                                  u"aé€"_qs, u"aé€"_qs, u"aé€😀"_qs, u"aé€😀b"_qs};
    for (qsizetype bytes = 0; bytes < expected.size(); ++bytes) {
        const QString kept = CHistoryText::CutToBytes(text, bytes, cut);
        EXPECT_EQ(kept, expected[bytes]) << bytes;
        EXPECT_LE(kept.toUtf8().size(), bytes);
        EXPECT_EQ(cut, kept != text) << bytes;
    }
}
