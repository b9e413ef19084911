#include "document/CArchive.h"
#include "document/CConnectionDataArray.h"

#include <gtest/gtest.h>

namespace {

QString U(const char16_t* text)
{
    return QString::fromUtf16(text);
}

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

QByteArray Stored(const QString& text)
{
    CArchive archive(CArchive::Mode::Store);
    archive.WriteString(text);
    return archive.Bytes();
}

QString LoadString(const QByteArray& bytes)
{
    CArchive archive(CArchive::Mode::Load, bytes);
    QString text = archive.ReadString();
    EXPECT_EQ(archive.Remaining(), 0) << "string did not use all of its bytes";
    return text;
}

QByteArray Utf16Le(const QString& text)
{
    QByteArray out;
    for (QChar c : text) {
        out.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    }
    return out;
}

} // namespace

TEST(ArchiveStringTest, WritesUtf16FormWithShortestLengthTier)
{
    EXPECT_EQ(Stored(QString()), Hex("fffeff00"));
    EXPECT_EQ(Stored("ab"), Hex("fffeff0261006200"));

    struct Tier
    {
        qsizetype length;
        const char* header;
    };
    const Tier tiers[] = {
        {254, "fffefffe"},
        {255, "fffeffffff00"},
        {300, "fffeffff2c01"},
        {0xFFFD, "fffefffffdff"},
        {0xFFFE, "fffeffffffff feff0000"},
        {0x10000, "fffeffffffff 00000100"},
    };
    for (const Tier& tier : tiers) {
        const QString text(tier.length, QChar(u'\x263A'));
        const QByteArray bytes = Stored(text);
        const QByteArray header = Hex(tier.header);
        ASSERT_EQ(bytes.size(), header.size() + 2 * tier.length) << tier.length;
        EXPECT_EQ(bytes.left(header.size()), header) << tier.length;
        EXPECT_EQ(bytes.mid(header.size(), 2), Hex("3a26")) << tier.length;
        EXPECT_EQ(LoadString(bytes), text) << tier.length;
    }
}

TEST(ArchiveStringTest, KeepsUnpairedSurrogatesAndNulsAsStored)
{
    const QString text = U(u"a") + QChar(0xD800) + QChar(u'\0') + QChar(0xDC00);
    EXPECT_EQ(LoadString(Stored(text)), text);
}

TEST(ArchiveStringTest, ReadsEightBitFormAsWindows1252InEveryTier)
{
    EXPECT_EQ(LoadString(Hex("00")), QString());
    EXPECT_EQ(LoadString(Hex("03 61e980")), U(u"a\u00e9\u20ac"));

    const QByteArray x300(300, 'x');
    EXPECT_EQ(LoadString(Hex("ff2c01") + x300), QString(x300));
    // A 16-bit length of 0xFFFE in the first round is the UTF-16 marker, so the 8-bit form
    // needs the 32-bit tier for it.
    EXPECT_EQ(LoadString(Hex("ffffff 05000000") + "hello"), "hello");
    EXPECT_EQ(LoadString(Hex("ffffff ffffffff 0300000000000000") + "abc"), "abc");
}

TEST(ArchiveStringTest, ReadsEveryUtf16LengthTier)
{
    EXPECT_EQ(LoadString(Hex("fffeff ff2c01") + Utf16Le(QString(300, u'y'))), QString(300, u'y'));
    EXPECT_EQ(LoadString(Hex("fffeff ffffff 02000000") + Utf16Le("hi")), "hi");
    EXPECT_EQ(LoadString(Hex("fffeff ffffff ffffffff 0300000000000000") +
                         Utf16Le(U(u"\u03b1\u03b2\u03b3"))),
              U(u"\u03b1\u03b2\u03b3"));
    // After the marker, 0xFFFE is an ordinary length.
    const QString longText(0xFFFE, u'z');
    EXPECT_EQ(LoadString(Hex("fffeff fffeff") + Utf16Le(longText)), longText);
}

TEST(ArchiveStringTest, RejectsTruncatedOrOversizedStrings)
{
    const char* bad[] = {
        "",                                           // no length at all
        "ff",                                         // ends inside the 16-bit word
        "fffe",                                       // ends inside the marker
        "fffeff",                                     // marker without length
        "fffeffff2c",                                 // ends inside the 16-bit length
        "fffeffffffff0000",                           // ends inside the 32-bit length
        "fffeffffffffffffffff00000000",               // ends inside the 64-bit length
        "0361",                                       // 8-bit string two bytes short
        "fffeff02610062",                             // UTF-16 string one byte short
        "fffeffffffff feffffff 6100",                 // 32-bit length far beyond the data
        "ffffff ffffffff ffffffffffffffff 61",        // 64-bit length, 8-bit form
        "fffeffffffffffffffff ffffffffffffffff 6100", // doubled, this overflows
        "fffeffffffffffffffff ffffffff00000000 6100",
        "fffeffffffffffffffff 0000000000000080 6100",
        "fffeffffffffffffffff 0000000000000040 6100",
    };
    for (const char* hex : bad) {
        CArchive archive(CArchive::Mode::Load, Hex(hex));
        EXPECT_THROW(archive.ReadString(), CArchiveException) << hex;
    }
}

TEST(ArchiveTest, Int32IsLittleEndianAndSigned)
{
    CArchive out(CArchive::Mode::Store);
    out.WriteInt32(0x01020304);
    out.WriteInt32(-2);
    EXPECT_EQ(out.Bytes(), Hex("04030201 feffffff"));

    CArchive in(CArchive::Mode::Load, out.Bytes() + "rest");
    EXPECT_EQ(in.ReadInt32(), 0x01020304);
    EXPECT_EQ(in.ReadInt32(), -2);
    EXPECT_EQ(in.Position(), 8);
    EXPECT_EQ(in.Remaining(), 4);
    EXPECT_EQ(in.ReadRemaining(), "rest");
    EXPECT_EQ(in.Remaining(), 0);
    EXPECT_THROW(in.ReadInt32(), CArchiveException);

    CArchive shortInput(CArchive::Mode::Load, Hex("010203"));
    EXPECT_THROW(shortInput.ReadInt32(), CArchiveException);
}

TEST(ConnectionDataTest, EntryLayoutAndSavePasswordFlag)
{
    CConnectionData entry;
    entry.m_dataSource = "d";
    entry.m_login = "u";
    entry.m_password = "pw";
    entry.m_savePassword = 0;
    entry.m_timeOut = 5;
    entry.m_enabled = 0;

    CArchive out(CArchive::Mode::Store);
    entry.Serialize(out);
    EXPECT_EQ(out.Bytes(), Hex("fffeff016400 fffeff017500 fffeff00 00000000 05000000 00000000"));
    entry.m_savePassword = 7; // any nonzero value means "save"
    CArchive kept(CArchive::Mode::Store);
    entry.Serialize(kept);
    EXPECT_EQ(kept.Bytes().mid(12, 8), Hex("fffeff02") + Utf16Le("pw"));

    CArchive in(CArchive::Mode::Load, kept.Bytes());
    CConnectionData loaded;
    loaded.Serialize(in);
    EXPECT_EQ(loaded, entry);
    EXPECT_EQ(in.Remaining(), 0);
}

TEST(ConnectionDataArrayTest, LoadingAppendsAndIgnoresNonPositiveCounts)
{
    CConnectionData first;
    first.m_dataSource = "first";
    CConnectionData second;
    second.m_dataSource = "second";
    second.m_timeOut = -4; // taken as stored

    CConnectionDataArray stored{first, second};
    CArchive out(CArchive::Mode::Store);
    stored.Serialize(out);
    EXPECT_EQ(out.Bytes().left(4), Hex("02000000"));

    CConnectionDataArray target{second};
    CArchive in(CArchive::Mode::Load, out.Bytes());
    target.Serialize(in);
    EXPECT_EQ(target, (CConnectionDataArray{second, first, second}));

    for (const char* count : {"00000000", "ffffffff", "00000080"}) {
        CConnectionDataArray none;
        CArchive archive(CArchive::Mode::Load, Hex(count) + "tail");
        none.Serialize(archive);
        EXPECT_TRUE(none.isEmpty()) << count;
        EXPECT_EQ(archive.ReadRemaining(), "tail") << count;
    }
}
