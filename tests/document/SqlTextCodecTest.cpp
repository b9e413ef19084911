#include "CSqlTextCodec.h"

#include <gtest/gtest.h>

#include <random>

namespace {

QString U(const char16_t* text)
{
    return QString::fromUtf16(text);
}

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

const QByteArray kBom = Hex("efbbbf");

} // namespace

TEST(SqlTextCodecTest, NormalisesEveryLineBreakToCrLf)
{
    EXPECT_EQ(CSqlTextCodec::NormaliseLineBreaks("a\nb\r\nc\rd\r\r\n\n\r"),
              "a\r\nb\r\nc\r\nd\r\n\r\n\r\n\r\n");
    EXPECT_EQ(CSqlTextCodec::Encode("select 1\nfrom t"), "select 1\r\nfrom t");
}

TEST(SqlTextCodecTest, EncodesWindows1252WhenEveryCharacterFits)
{
    EXPECT_EQ(CSqlTextCodec::Encode(U(u"caf\u00e9 \u20ac5 \u0160 \u0081")),
              Hex("636166e920803520 8a2081"));
    EXPECT_EQ(CSqlTextCodec::Encode(QString()), QByteArray());
}

TEST(SqlTextCodecTest, FallsBackToUtf8WithBomForOtherCharacters)
{
    const QString greek = U(u"\u03b1\u03b2 \u00e9");
    EXPECT_EQ(CSqlTextCodec::Encode(greek), kBom + greek.toUtf8());
    // U+0080 has no Windows-1252 byte: 0x80 is the euro sign.
    EXPECT_FALSE(CSqlTextCodec::FitsWindows1252(QString(QChar(0x80))));
    EXPECT_TRUE(CSqlTextCodec::FitsWindows1252(QString(QChar(0x9D))));
}

TEST(SqlTextCodecTest, AvoidsWindows1252ThatWouldReadBackAsUtf8)
{
    // "Ã©" is the UTF-8 of "é", and "ï»¿" the byte-order mark.
    for (const QString& text :
         {U(u"\u00c3\u00a9"), U(u"\u00ef\u00bb\u00bfx"), U(u"\u00ef\u00bb\u00bf\u00e9")}) {
        const QByteArray bytes = CSqlTextCodec::Encode(text);
        EXPECT_TRUE(bytes.startsWith(kBom));
        EXPECT_EQ(CSqlTextCodec::Decode(bytes), text);
    }
}

TEST(SqlTextCodecTest, DetectsTheEncodingOfStoredBytes)
{
    // Byte-order mark: UTF-8, mark dropped, a second mark kept as text.
    EXPECT_EQ(CSqlTextCodec::Decode(kBom + "abc"), "abc");
    EXPECT_EQ(CSqlTextCodec::Decode(kBom + kBom + "x"), QChar(0xFEFF) + QString("x"));
    EXPECT_EQ(CSqlTextCodec::Decode(kBom), QString());
    // UTF-8 without a mark, as other editors write it.
    EXPECT_EQ(CSqlTextCodec::Decode(Hex("636166c3a9")), U(u"caf\u00e9"));
    EXPECT_EQ(CSqlTextCodec::Decode(Hex("f09f9880")), U(u"\U0001F600"));
    // Not valid UTF-8: Windows-1252.
    struct Case
    {
        const char* hex;
        const char16_t* text;
    };
    const Case ansi[] = {
        {"636166e9", u"caf\u00e9"},                // lone high byte
        {"636166c3", u"caf\u00c3"},                // sequence cut at the end
        {"c0af", u"\u00c0\u00af"},                 // overlong "/"
        {"eda080", u"\u00ed\u00a0\u20ac"},         // encoded surrogate
        {"f4908080", u"\u00f4\u0090\u20ac\u20ac"}, // above U+10FFFF
        {"c3a9e9", u"\u00c3\u00a9\u00e9"},         // valid start, invalid later
    };
    for (const Case& c : ansi) {
        EXPECT_EQ(CSqlTextCodec::Decode(Hex(c.hex)), QString::fromUtf16(c.text)) << c.hex;
    }
}

TEST(SqlTextCodecTest, DecodingKeepsLineBreaksAsStored)
{
    EXPECT_EQ(CSqlTextCodec::Decode("a\nb\rc\r\n"), "a\nb\rc\r\n");
    EXPECT_EQ(CSqlTextCodec::Decode(kBom + "a\n" + Hex("ceb1") + "\r"), U(u"a\n\u03b1\r"));
}

TEST(SqlTextCodecTest, Windows1252TableCoversEveryByteOnce)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        all.append(char(b));
    }
    const QString text = CSqlTextCodec::DecodeWindows1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(text[0x8A], QChar(0x0160));
    EXPECT_EQ(text[0x99], QChar(0x2122));
    EXPECT_EQ(text[0x9F], QChar(0x0178));
    EXPECT_EQ(text[0xA0], QChar(0xA0));
    for (int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(text[undefined], QChar(undefined));
    }
    EXPECT_TRUE(CSqlTextCodec::FitsWindows1252(text));
    // Without line breaks, whose bytes Encode rewrites, every byte survives the round trip.
    QByteArray noBreaks = all;
    noBreaks.remove(13, 1).remove(10, 1);
    const QByteArray encoded = CSqlTextCodec::Encode(CSqlTextCodec::DecodeWindows1252(noBreaks));
    EXPECT_EQ(CSqlTextCodec::Decode(encoded), CSqlTextCodec::DecodeWindows1252(noBreaks));
}

TEST(SqlTextCodecTest, RandomTextsRoundTripExactly)
{
    // Characters chosen to provoke wrong guesses: Latin-1 letters whose bytes are UTF-8 lead and
    // continuation bytes, the byte-order mark's characters, and text Windows-1252 cannot hold.
    const char16_t pool[] = {u'a',   u' ',   u'\n',  u'\r',  0x00C3, 0x00A9, 0x00E9,
                             0x00EF, 0x00BB, 0x00BF, 0x20AC, 0x0081, 0x00C2, 0x0080,
                             0x03B1, 0x4E2D, 0xFEFF, 0x00F0, 0x0178, 0x2122};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pool) - 1);
    std::uniform_int_distribution<int> length(0, 12);
    for (int i = 0; i < 5000; ++i) {
        QString text;
        for (int n = length(random); n > 0; --n) {
            text += QChar(pool[pick(random)]);
        }
        const QString expected = CSqlTextCodec::NormaliseLineBreaks(text);
        ASSERT_EQ(CSqlTextCodec::Decode(CSqlTextCodec::Encode(text)), expected)
            << text.toStdString();
    }
}
