// A file the program opens and saves unchanged must keep its bytes: SQL string literals hold the
// file's line ends and characters, so any rewrite changes what the SQL means.

#include "document/CArchive.h"
#include "document/CDocumentFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <string>

namespace {

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

QString U(const char16_t* text)
{
    return QString::fromUtf16(text);
}

// Bytes as hex pairs, for readable failures.
std::string Bytes(const QByteArray& bytes)
{
    return bytes.toHex(' ').toStdString();
}

class SqlFileBytesTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString PathOf(const QString& name) const { return m_dir.filePath(name); }

    static QByteArray ReadRaw(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    // Writes `bytes` as `name`, opens it, saves it over itself and gives back what is then there.
    QByteArray OpenAndSave(const QString& name, const QByteArray& bytes)
    {
        QFile file(PathOf(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        CDocumentContent content;
        QString error;
        EXPECT_TRUE(CDocumentFile::Load(PathOf(name), content, error)) << error.toStdString();
        EXPECT_TRUE(CDocumentFile::Save(PathOf(name), content, error)) << error.toStdString();
        return ReadRaw(PathOf(name));
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(SqlFileBytesTest, UnchangedBareFilesSaveBackTheirOwnBytes)
{
    const QByteArray bom = Hex("efbbbf");
    const QByteArray cases[] = {
        // UTF-8 with LF: the line end inside the literal is part of its value.
        "SELECT length('a\nb'), 'caf\xc3\xa9';\n",
        bom + "SELECT '\xce\xb1'\r\nFROM t\r\n",
        // A mark followed by bytes that are not UTF-8.
        bom + "SELECT '\xe9\xff' \xc3\n",
        bom + bom + "x",
        bom,
        // Windows-1252, with the five bytes it leaves undefined and a NUL byte.
        "SELECT 'caf\xe9'\r\n",
        Hex("81 8d 8f 90 9d 0a 00 41 0d"),
        "a\rb\rc",
        "mixed\r\nends\nhere\r\rand\n\r",
        "",
    };
    for (const QByteArray& bytes : cases) {
        EXPECT_EQ(Bytes(OpenAndSave("q.sql", bytes)), Bytes(bytes));
    }
}

TEST_F(SqlFileBytesTest, EditedTextKeepsTheFileEncodingUnlessItCannotHoldIt)
{
    auto load = [this](const QByteArray& bytes) {
        CDocumentContent content = CDocumentFile::Decode(PathOf("q.sql"), bytes);
        return content;
    };
    auto save = [this](const CDocumentContent& content) {
        return CDocumentFile::Encode(PathOf("q.sql"), content);
    };
    CDocumentContent ansi = load("SELECT 'caf\xe9'\r\n");
    ansi.sqlText += u"SELECT '\u00fc'\r\n"_qs;
    EXPECT_EQ(save(ansi), "SELECT 'caf\xe9'\r\nSELECT '\xfc'\r\n");
    // A character Windows-1252 has no byte for moves the file to UTF-8, whole and unmarked.
    ansi.sqlText += U(u"SELECT '\u4e2d'");
    const QByteArray utf8 = save(ansi);
    EXPECT_EQ(utf8, "SELECT 'caf\xc3\xa9'\r\nSELECT '\xc3\xbc'\r\nSELECT '\xe4\xb8\xad'");
    EXPECT_EQ(load(utf8).sqlText, ansi.sqlText);

    CDocumentContent marked = load(Hex("efbbbf") + "a\xff");
    marked.sqlText += u"\u00e9";
    EXPECT_EQ(save(marked), Hex("efbbbf") + "a\xff\xc3\xa9");
}

TEST_F(SqlFileBytesTest, NewTextIsSavedAsTypedInUtf8)
{
    CDocumentContent content;
    content.sqlText = U(u"SELECT 'caf\u00e9',\n  length('a\nb')");
    EXPECT_EQ(CDocumentFile::Encode("new.sql", content), "SELECT 'caf\xc3\xa9',\n  length('a\nb')");
    // A full document holds its text as its other readers expect it.
    EXPECT_EQ(CDocumentFile::Encode("new.tsl", content),
              Hex("00000000") + "SELECT 'caf\xe9',\r\n  length('a\r\nb')");
    // So does text that came from a bare file; text from a document keeps its own form.
    const CDocumentContent bare = CDocumentFile::Decode("a.sql", "x\ny");
    EXPECT_EQ(CDocumentFile::Encode("b.tsl", bare), Hex("00000000") + "x\r\ny");
    const CDocumentContent document = CDocumentFile::Decode("a.tsl", Hex("00000000") + "x\ny");
    EXPECT_EQ(CDocumentFile::Encode("b.sql", document), "x\ny");
}

namespace {

// What a save writes for `bytes` of a document: the connection list as the writer writes it
// (strings stored in the 8-bit form come back in the UTF-16 form), then the text's own bytes.
QByteArray AsSaved(const QByteArray& bytes)
{
    CArchive in(CArchive::Mode::Load, bytes);
    CConnectionDataArray connections;
    connections.Serialize(in);
    CArchive out(CArchive::Mode::Store);
    connections.Serialize(out);
    return out.Bytes() + bytes.mid(in.Position());
}

} // namespace

// Every SQL file and document the repository holds, found when the test runs.
TEST_F(SqlFileBytesTest, EveryRepositoryFileSavesBackUnchanged)
{
    const QDir source(QStringLiteral(TESSELLA_SOURCE_DIR));
    int checked = 0;
    for (const char* folder : {"tests", "fuzz", "demo"}) {
        QDirIterator files(source.filePath(folder), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            const QString name = files.fileName().toLower();
            if (!name.endsWith(u".sql") && !name.endsWith(u".tsl")) {
                continue;
            }
            const QByteArray bytes = ReadRaw(path);
            CDocumentContent content;
            QString error;
            ASSERT_TRUE(CDocumentFile::Load(path, content, error)) << path.toStdString();
            const QByteArray expected =
                CDocumentFile::IsDocumentName(name) ? AsSaved(bytes) : bytes;
            EXPECT_EQ(Bytes(CDocumentFile::Encode(name, content)), Bytes(expected))
                << path.toStdString();
            ++checked;
        }
    }
    EXPECT_GE(checked, 20);
}
