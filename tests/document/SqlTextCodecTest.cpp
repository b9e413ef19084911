#include "document/CSqlTextCodec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using Encoding = CSqlTextForm::Encoding;
using LineEnd = CSqlTextForm::LineEnd;

// Unlike QString::fromUtf16, keeps a leading U+FEFF.
QString U(const char16_t* text)
{
    return QStringView(text).toString();
}

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

std::string Bytes(const QByteArray& bytes)
{
    return bytes.toHex(' ').toStdString();
}

const QByteArray kBom = Hex("efbbbf");

QByteArray EncodeAs(const QString& text, Encoding encoding, bool documentFile = false)
{
    CSqlTextForm form;
    form.encoding = encoding;
    form.documentFile = documentFile;
    return CSqlTextCodec::Encode(text, form).bytes;
}

QString DecodeText(const QByteArray& bytes, bool documentFile = false)
{
    return CSqlTextCodec::Decode(bytes, documentFile).text;
}

} // namespace

TEST(SqlTextCodecTest, LineEndsAreCountedAndNormalised)
{
    EXPECT_EQ(CSqlTextCodec::NormaliseLineBreaks(u"a\nb\r\nc\rd\r\r\n\n\r", LineEnd::CrLf),
              "a\r\nb\r\nc\r\nd\r\n\r\n\r\n\r\n");
    EXPECT_EQ(CSqlTextCodec::NormaliseLineBreaks(u"a\r\nb\rc\n", LineEnd::Lf), "a\nb\nc\n");
    EXPECT_EQ(CSqlTextCodec::NormaliseLineBreaks(u"a\r\nb\n", LineEnd::Cr), "a\rb\r");
    EXPECT_EQ(CSqlTextCodec::DominantLineEnd(u"a\r\nb\nc\r\n", LineEnd::Lf), LineEnd::CrLf);
    EXPECT_EQ(CSqlTextCodec::DominantLineEnd(u"a\rb\rc\r\n", LineEnd::Lf), LineEnd::Cr);
    EXPECT_EQ(CSqlTextCodec::DominantLineEnd(u"\n\r\r\n\n", LineEnd::CrLf), LineEnd::Lf);
    EXPECT_EQ(CSqlTextCodec::DominantLineEnd(u"none", LineEnd::CrLf), LineEnd::CrLf);
    // A normalising form (a new document's) writes its line end; others keep the text's.
    const CSqlTextForm document = CSqlTextForm::NewDocumentText();
    EXPECT_EQ(CSqlTextCodec::Encode("select 1\nfrom t", document).bytes, "select 1\r\nfrom t");
    EXPECT_EQ(EncodeAs("a\nb\r\nc\r", Encoding::Windows1252), "a\nb\r\nc\r");
}

TEST(SqlTextCodecTest, DetectsTheEncodingOfStoredBytes)
{
    struct Case
    {
        QByteArray bytes;
        bool documentFile;
        const char16_t* text;
        Encoding encoding;
    };
    const Case cases[] = {
        // Byte-order mark: UTF-8, mark dropped, a second mark kept as text.
        {kBom + "abc", false, u"abc", Encoding::Utf8WithBom},
        {kBom + kBom + "x", true, u"\uFEFFx", Encoding::Utf8WithBom},
        {kBom, false, u"", Encoding::Utf8WithBom},
        // UTF-8 without a mark, as other editors write it.
        {Hex("636166c3a9"), false, u"caf\u00e9", Encoding::Utf8},
        {Hex("f09f9880"), true, u"\U0001F600", Encoding::Utf8},
        // Plain ASCII: new text in a bare file is UTF-8, a document's writer wrote Windows-1252.
        {"abc", false, u"abc", Encoding::Utf8},
        {"abc", true, u"abc", Encoding::Windows1252},
        // Not valid UTF-8: Windows-1252.
        {Hex("636166e9"), false, u"caf\u00e9", Encoding::Windows1252},        // lone high byte
        {Hex("636166c3"), false, u"caf\u00c3", Encoding::Windows1252},        // cut at the end
        {Hex("c0af"), false, u"\u00c0\u00af", Encoding::Windows1252},         // overlong "/"
        {Hex("eda080"), false, u"\u00ed\u00a0\u20ac", Encoding::Windows1252}, // surrogate
        {Hex("f4908080"), true, u"\u00f4\u0090\u20ac\u20ac", Encoding::Windows1252},
        {Hex("c3a9e9"), false, u"\u00c3\u00a9\u00e9", Encoding::Windows1252},
    };
    for (const Case& c : cases) {
        const CDecodedSqlText decoded = CSqlTextCodec::Decode(c.bytes, c.documentFile);
        EXPECT_EQ(decoded.text, U(c.text)) << Bytes(c.bytes);
        EXPECT_EQ(decoded.form.encoding, c.encoding) << Bytes(c.bytes);
        EXPECT_EQ(decoded.form.documentFile, c.documentFile);
        EXPECT_FALSE(decoded.form.normaliseLineEnds);
    }
    EXPECT_EQ(CSqlTextCodec::Decode("a\nb\rc\r\nd\n").form.lineEnd, LineEnd::Lf);
    EXPECT_EQ(CSqlTextCodec::Decode("a\nb\rc\r\nd\r\n").form.lineEnd, LineEnd::CrLf);
    EXPECT_EQ(DecodeText(kBom + "a\n" + Hex("ceb1") + "\r"), U(u"a\n\u03b1\r"));
}

TEST(SqlTextCodecTest, BytesThatAreNotUtf8SurviveBehindAMark)
{
    const QString text = DecodeText(kBom + Hex("61 ff c3 28 eda080 f8 e2 82"));
    EXPECT_EQ(text, U(u"a\xdcff\xdcc3(\xdced\xdca0\xdc80\xdcf8\xdce2\xdc82"));
    EXPECT_FALSE(text.contains(QChar(0xFFFD)));
    EXPECT_EQ(Bytes(EncodeAs(text, Encoding::Utf8WithBom)),
              Bytes(kBom + Hex("61 ff c3 28 eda080 f8 e2 82")));
    // A lone surrogate typed into the text cannot be UTF-8; it is written as its three bytes.
    EXPECT_EQ(Bytes(CSqlTextCodec::EncodeUtf8(U(u"\xd800x\xdc00"))),
              Bytes(Hex("eda080 78 edb080")));
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
    EXPECT_FALSE(CSqlTextCodec::FitsWindows1252(QString(QChar(0x80)))); // 0x80 is the euro
    EXPECT_EQ(Bytes(EncodeAs(text, Encoding::Windows1252)), Bytes(all));
}

TEST(SqlTextCodecTest, TextWindows1252CannotHoldGoesInUtf8)
{
    const QString greek = U(u"\u03b1\u03b2 \u00e9");
    EXPECT_EQ(EncodeAs(greek, Encoding::Windows1252), greek.toUtf8());
    EXPECT_EQ(EncodeAs(greek, Encoding::Windows1252, true), kBom + greek.toUtf8());
    CSqlTextForm form;
    form.encoding = Encoding::Windows1252;
    EXPECT_EQ(CSqlTextCodec::Encode(greek, form).form.encoding, Encoding::Utf8);
    // Windows-1252 bytes that would read back as UTF-8 ("Ã©" is the UTF-8 of "é", "ï»¿" the
    // mark), and UTF-8 that would read back as other text without a mark.
    for (const QString& text :
         {U(u"\u00c3\u00a9"), U(u"\u00ef\u00bb\u00bfx"), U(u"\uFEFF\u4e2d"), U(u"\u4e2d\xdcff")}) {
        for (bool documentFile : {false, true}) {
            const QByteArray bytes = EncodeAs(text, Encoding::Windows1252, documentFile);
            EXPECT_EQ(DecodeText(bytes, documentFile), text) << Bytes(bytes);
        }
    }
}

TEST(SqlTextCodecTest, RandomBytesSaveBackExactly)
{
    // Bytes chosen to make every kind of UTF-8 sequence, valid or broken, and line ends.
    const unsigned char pool[] = {'a',  ' ',  '\n', '\r', 0x00, 0x7F, 0x80, 0x81, 0x9D,
                                  0xA9, 0xBF, 0xBB, 0xC0, 0xC2, 0xC3, 0xE0, 0xE2, 0xED,
                                  0xEF, 0xF0, 0xF4, 0xF5, 0xFF, 0x8F, 0x90, 0xA0};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pool) - 1);
    std::uniform_int_distribution<int> length(0, 14);
    for (int i = 0; i < 20000; ++i) {
        QByteArray bytes = i % 3 == 0 ? kBom : QByteArray();
        for (int n = length(random); n > 0; --n) {
            bytes += char(pool[pick(random)]);
        }
        const bool documentFile = i % 2 == 0;
        const CDecodedSqlText decoded = CSqlTextCodec::Decode(bytes, documentFile);
        const CEncodedSqlText encoded = CSqlTextCodec::Encode(decoded.text, decoded.form);
        ASSERT_EQ(Bytes(encoded.bytes), Bytes(bytes));
        ASSERT_EQ(encoded.form, decoded.form) << Bytes(bytes);
    }
}

TEST(SqlTextCodecTest, RandomTextsReadBackAsWritten)
{
    // Latin-1 letters whose bytes are UTF-8 lead and continuation bytes, the mark's characters,
    // text Windows-1252 cannot hold, and line ends of every kind.
    const char16_t pool[] = {u'a',   u' ',   u'\n',  u'\r',  0x00C3, 0x00A9, 0x00E9,
                             0x00EF, 0x00BB, 0x00BF, 0x20AC, 0x0081, 0x00C2, 0x0080,
                             0x03B1, 0x4E2D, 0xFEFF, 0x00F0, 0x0178, 0x2122, 0x0000};
    std::mt19937 random(20240612);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pool) - 1);
    std::uniform_int_distribution<int> length(0, 12);
    const Encoding encodings[] = {Encoding::Utf8, Encoding::Utf8WithBom, Encoding::Windows1252};
    for (int i = 0; i < 6000; ++i) {
        QString text;
        for (int n = length(random); n > 0; --n) {
            text += QChar(pool[pick(random)]);
        }
        CSqlTextForm form;
        form.encoding = encodings[i % 3];
        form.documentFile = i % 2 == 0;
        // A leading mark character in unmarked UTF-8 would be taken for the mark.
        if (form.encoding == Encoding::Utf8 && text.startsWith(QChar(0xFEFF))) {
            continue;
        }
        const CEncodedSqlText encoded = CSqlTextCodec::Encode(text, form);
        const CDecodedSqlText decoded = CSqlTextCodec::Decode(encoded.bytes, form.documentFile);
        ASSERT_EQ(decoded.text, text) << Bytes(encoded.bytes);
    }
}
