#include "ScopedFileCapabilityDrop.h"
#include "document/CArchive.h"
#include "document/CDocumentFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <limits>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString U(const char16_t* text)
{
    return QString::fromUtf16(text);
}

const QString kBadFormat = "Unexpected file format.";

QByteArray Hex(const char* hex)
{
    return QByteArray::fromHex(hex);
}

CConnectionData Entry(const QString& dataSource, const QString& password = QString(),
                      qint32 savePassword = 1)
{
    CConnectionData entry;
    entry.m_dataSource = dataSource;
    entry.m_login = "user";
    entry.m_password = password;
    entry.m_savePassword = savePassword;
    return entry;
}

// Lowers a resource limit of this process for one scope.
class ScopedLimit
{
public:
    ScopedLimit(int resource, rlim_t soft) : m_resource(resource)
    {
        getrlimit(m_resource, &m_old);
        rlimit lowered = m_old;
        lowered.rlim_cur = soft;
        m_ok = setrlimit(m_resource, &lowered) == 0;
    }
    ~ScopedLimit() { setrlimit(m_resource, &m_old); }
    bool ok() const { return m_ok; }

private:
    int m_resource;
    rlimit m_old{};
    bool m_ok = false;
};

// Address space in use now, so a cap can allow only a little more.
rlim_t AddressSpaceInUse()
{
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    return rlim_t(statm.readAll().split(' ').value(0).toULongLong()) *
           rlim_t(sysconf(_SC_PAGESIZE));
}

} // namespace

class DocumentFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString PathOf(const QString& name) const { return m_dir.filePath(name); }

    static void WriteRaw(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    static QByteArray ReadRaw(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    static unsigned ModeOf(const QString& path)
    {
        struct stat info
        {
        };
        EXPECT_EQ(stat(QFile::encodeName(path).constData(), &info), 0);
        return info.st_mode & 07777;
    }

    // Saves, expecting success, and returns the bytes written.
    QByteArray SaveBytes(const QString& name, const CDocumentContent& content)
    {
        QString error;
        EXPECT_TRUE(CDocumentFile::Save(PathOf(name), content, error)) << error.toStdString();
        return ReadRaw(PathOf(name));
    }

    CDocumentContent LoadOk(const QString& name)
    {
        CDocumentContent content;
        QString error;
        EXPECT_TRUE(CDocumentFile::Load(PathOf(name), content, error)) << error.toStdString();
        return content;
    }

    QString LoadError(const QString& path)
    {
        CDocumentContent content;
        content.sqlText = "untouched";
        content.connections.append(Entry("kept"));
        const CDocumentContent before = content;
        QString error;
        EXPECT_FALSE(CDocumentFile::Load(path, content, error));
        EXPECT_EQ(content.sqlText, before.sqlText);
        EXPECT_EQ(content.connections, before.connections);
        return error;
    }

    // A document with several entries and text in and beyond Windows-1252.
    static CDocumentContent Sample()
    {
        CDocumentContent content;
        content.connections = {Entry("Sales", U(u"s3cr\u00e9t")),
                               Entry(U(u"\u0394\u03b5\u03bb\u03c4\u03b1")),
                               Entry(U(u"\u6570\u636e\U0001F600"), "hidden", 0)};
        content.connections[1].m_timeOut = -1;
        content.connections[1].m_enabled = 0;
        content.sqlText = U(u"select '\u00e9\u20ac' from t;\r\ngo\r\n");
        return content;
    }

    QTemporaryDir m_dir;
};

TEST_F(DocumentFileTest, NameRuleLooksOnlyAtTheLastComponent)
{
    for (const char* name : {"A.TSL", "a.Tsl", "a.tsl.bak", "a.tslx", "dir/q.tsl", ".tsl"}) {
        EXPECT_TRUE(CDocumentFile::IsDocumentName(name)) << name;
    }
    for (const char* name : {"a_tsl", "a.sql", "x.tsl/a.sql", "tsl", "a.ts"}) {
        EXPECT_FALSE(CDocumentFile::IsDocumentName(name)) << name;
    }

    ASSERT_TRUE(QDir(m_dir.path()).mkdir("x.tsl"));
    CDocumentContent content;
    content.connections = {Entry("dsn")};
    content.sqlText = "select 1";
    EXPECT_EQ(SaveBytes("x.tsl/a.sql", content), "select 1");
    EXPECT_EQ(SaveBytes("a.tslx", content).left(4), Hex("01000000"));
    EXPECT_EQ(LoadOk("a.tslx").connections, content.connections);
}

TEST_F(DocumentFileTest, EmptyDocumentIsACountOfZeroThenTheText)
{
    CDocumentContent content;
    EXPECT_EQ(SaveBytes("a.tsl", content), Hex("00000000"));
    content.sqlText = "select 1\nfrom t";
    EXPECT_EQ(SaveBytes("a.tsl", content), Hex("00000000") + "select 1\r\nfrom t");
}

TEST_F(DocumentFileTest, PasswordIsStoredOnlyWhenSavePasswordIsSet)
{
    CDocumentContent content;
    content.connections = {Entry("d", "pw", 0), Entry("e", "pw", 1)};
    const QByteArray bytes = SaveBytes("a.tsl", content);
    const QByteArray user = Hex("fffeff04") + QByteArray("u\0s\0e\0r\0", 8);
    const QByteArray ints = Hex("1e000000 01000000");
    EXPECT_EQ(bytes, Hex("02000000 fffeff016400") + user + Hex("fffeff00 00000000") + ints +
                         Hex("fffeff016500") + user + Hex("fffeff02") + QByteArray("p\0w\0", 4) +
                         Hex("01000000") + ints);

    const CDocumentContent loaded = LoadOk("a.tsl");
    ASSERT_EQ(loaded.connections.size(), 2);
    EXPECT_EQ(loaded.connections[0].m_password, QString());
    EXPECT_EQ(loaded.connections[0].m_savePassword, 0);
    EXPECT_EQ(loaded.connections[1], content.connections[1]);
}

TEST_F(DocumentFileTest, BareTextFileHoldsOnlyTheText)
{
    CDocumentContent content = Sample();
    content.sqlText = "select 2\n";
    EXPECT_EQ(SaveBytes("a.sql", content), "select 2\n");
    const CDocumentContent loaded = LoadOk("a.sql");
    EXPECT_TRUE(loaded.connections.isEmpty());
    EXPECT_EQ(loaded.sqlText, "select 2\n");
}

TEST_F(DocumentFileTest, NegativeCountReadsNoEntry)
{
    WriteRaw(PathOf("a.tsl"), Hex("ffffffff") + "select 3");
    const CDocumentContent loaded = LoadOk("a.tsl");
    EXPECT_TRUE(loaded.connections.isEmpty());
    EXPECT_EQ(loaded.sqlText, "select 3");
}

TEST_F(DocumentFileTest, EightBitStringsAreReadAndRewrittenAsUtf16)
{
    WriteRaw(PathOf("a.tsl"), Hex("01000000 0364736e 0261e9 00 00000000 0a000000 01000000") + "go");
    const CDocumentContent loaded = LoadOk("a.tsl");
    ASSERT_EQ(loaded.connections.size(), 1);
    EXPECT_EQ(loaded.connections[0].m_dataSource, "dsn");
    EXPECT_EQ(loaded.connections[0].m_login, U(u"a\u00e9"));
    EXPECT_EQ(loaded.connections[0].m_timeOut, 10);

    EXPECT_EQ(
        SaveBytes("a.tsl", loaded),
        Hex("01000000 fffeff03640073006e00 fffeff026100e900 fffeff00 00000000 0a000000 01000000") +
            "go");
}

TEST_F(DocumentFileTest, LongNameUsesTheSixteenBitLength)
{
    CDocumentContent content;
    content.connections = {Entry(QString(300, u'n'))};
    const QByteArray bytes = SaveBytes("a.tsl", content);
    EXPECT_EQ(bytes.mid(4, 6), Hex("fffeffff2c01"));
    EXPECT_EQ(bytes.mid(10, 600), QByteArray("n\0", 2).repeated(300));
    EXPECT_EQ(bytes.mid(610, 4), Hex("fffeff04"));
    EXPECT_EQ(LoadOk("a.tsl").connections, content.connections);
}

TEST_F(DocumentFileTest, NonAsciiDocumentsRoundTripExactly)
{
    CDocumentContent content = Sample();
    content.connections[2].m_password.clear(); // not saved, so not read back
    for (const QString& text :
         {U(u"select '\u00e9\u20ac\u0160'\r\n"),
          U(u"-- \u03b1\u03b2\u03b3 \u4e2d\u6587 \U0001F600\r\n"), U(u"\u00c3\u00a9")}) {
        content.sqlText = text;
        for (const char* name : {"r.tsl", "r.sql"}) {
            SaveBytes(name, content);
            const CDocumentContent loaded = LoadOk(name);
            EXPECT_EQ(loaded.sqlText, text) << name;
            EXPECT_EQ(loaded.connections,
                      QString(name).endsWith("tsl") ? content.connections : CConnectionDataArray())
                << name;
        }
    }
}

TEST_F(DocumentFileTest, EveryTruncationLoadsOrReportsTheFormat)
{
    const CDocumentContent content = Sample();
    const QByteArray full = CDocumentFile::Encode("a.tsl", content);
    CDocumentContent textOnly;
    textOnly.sqlText = content.sqlText;
    const qsizetype textBytes = CDocumentFile::Encode("a.tsl", textOnly).size() - 4;
    const qsizetype entriesEnd = full.size() - textBytes;

    for (qsizetype cut = 0; cut <= full.size(); ++cut) {
        const QString path = PathOf("cut.tsl");
        WriteRaw(path, full.left(cut));
        CDocumentContent loaded;
        QString error;
        if (cut < entriesEnd) {
            EXPECT_FALSE(CDocumentFile::Load(path, loaded, error)) << cut;
            EXPECT_EQ(error, kBadFormat) << cut;
        } else {
            ASSERT_TRUE(CDocumentFile::Load(path, loaded, error)) << cut;
            EXPECT_EQ(loaded.connections.size(), 3) << cut;
        }
    }
}

TEST_F(DocumentFileTest, RandomCorruptionsLoadOrReportTheFormat)
{
    const QByteArray full = CDocumentFile::Encode("a.tsl", Sample());
    const QString path = PathOf("bad.tsl");
    std::mt19937 random(7);
    std::uniform_int_distribution<qsizetype> position(0, full.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> edits(1, 4);
    int failures = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = full;
        for (int n = edits(random); n > 0; --n) {
            // Favour the bytes that length fields are made of.
            const int value = byte(random);
            bytes[position(random)] = char(value < 64 ? 0xFF : value < 96 ? 0xFE : value);
        }
        if (round % 5 == 0) {
            bytes.truncate(position(random));
        }
        WriteRaw(path, bytes);
        CDocumentContent loaded;
        QString error;
        if (!CDocumentFile::Load(path, loaded, error)) {
            ASSERT_EQ(error, kBadFormat) << round;
            ++failures;
        }
    }
    // Both outcomes must really have been exercised.
    EXPECT_GT(failures, 100);
    EXPECT_LT(failures, 2900);
}

TEST_F(DocumentFileTest, HugeCountsAndLengthsFailWithoutAllocating)
{
    const char* inputs[] = {
        "ffffff7f fffeff00 fffeff00 fffeff00 01000000 1e000000 01000000",
        "01000000 fffeffffffff feffffff 6100",
        "01000000 ffffff feffffff 61",
        "01000000 fffeffffffffffffffff ffffffff00000000 6100",
        "01000000 fffeffffffffffffffff ffffffffffffffff 6100",
        "01000000 fffeffffffffffffffff 0000000000000040 6100",
        "01000000 ffffffffffffffffff ffffffffffffff7f 61",
    };
    const QString path = PathOf("huge.tsl");
    for (const char* hex : inputs) {
        WriteRaw(path, Hex(hex) + QByteArray(64, 'x'));
        QString error;
        {
            const rlim_t inUse = AddressSpaceInUse();
            ASSERT_GT(inUse, rlim_t(0));
            ScopedLimit cap(RLIMIT_AS, inUse + (rlim_t(256) << 20));
            ASSERT_TRUE(cap.ok());
            CDocumentContent loaded;
            EXPECT_FALSE(CDocumentFile::Load(path, loaded, error)) << hex;
        }
        EXPECT_EQ(error, kBadFormat) << hex;
    }
}

TEST_F(DocumentFileTest, LargestCountOverManySmallEntriesFailsBeforeReadingThem)
{
    // Two million of the smallest entries: 30 MB on file, several times that in memory.
    CArchive archive(CArchive::Mode::Store);
    archive.WriteInt32(std::numeric_limits<qint32>::max());
    const QByteArray smallest = Hex("00 00 00 00000000 00000000 00000000");
    WriteRaw(PathOf("many.tsl"), archive.Bytes() + smallest.repeated(2'000'000));
    const rlim_t inUse = AddressSpaceInUse();
    ASSERT_GT(inUse, rlim_t(0));
    QString error;
    {
        // Allows reading the file, not holding two million entries.
        ScopedLimit cap(RLIMIT_AS, inUse + (rlim_t(100) << 20));
        ASSERT_TRUE(cap.ok());
        CDocumentContent loaded;
        EXPECT_FALSE(CDocumentFile::Load(PathOf("many.tsl"), loaded, error));
    }
    EXPECT_EQ(error, kBadFormat);

    // The same entries under their true count load.
    CArchive exact(CArchive::Mode::Store);
    exact.WriteInt32(1000);
    WriteRaw(PathOf("exact.tsl"), exact.Bytes() + smallest.repeated(1000) + "go");
    const CDocumentContent loaded = LoadOk("exact.tsl");
    EXPECT_EQ(loaded.connections.size(), 1000);
    EXPECT_EQ(loaded.sqlText, "go");
}

TEST_F(DocumentFileTest, AFileLargerThanTheMemoryLeftIsAReadError)
{
    const QString path = PathOf("large.sql");
    WriteRaw(path, QByteArray(48 << 20, 'x'));
    const rlim_t inUse = AddressSpaceInUse();
    ASSERT_GT(inUse, rlim_t(0));
    CDocumentContent content;
    content.sqlText = "untouched";
    QString error;
    bool loaded = true;
    {
        ScopedLimit cap(RLIMIT_AS, inUse + (rlim_t(32) << 20));
        ASSERT_TRUE(cap.ok());
        loaded = CDocumentFile::Load(path, content, error);
    }
    EXPECT_FALSE(loaded);
    EXPECT_EQ(error, "An unexpected error occurred while reading " + path + ".");
    EXPECT_EQ(content.sqlText, "untouched");
}

TEST_F(DocumentFileTest, BareSqlUnderADocumentNameIsAFormatError)
{
    WriteRaw(PathOf("q.tsl"), "select * from customers");
    EXPECT_EQ(LoadError(PathOf("q.tsl")), kBadFormat);
}

TEST_F(DocumentFileTest, FileErrorsUseTheFrameworkMessages)
{
    const QString missing = PathOf("missing.tsl");
    EXPECT_EQ(LoadError(missing),
              missing + "\nCannot find this file.\nVerify that the correct path and file name "
                        "are given.");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.tsl"));
    const QString folder = PathOf("folder.tsl");
    EXPECT_EQ(LoadError(folder), "An unexpected error occurred while reading " + folder + ".");
}

TEST_F(DocumentFileTest, UnreadableFileIsAccessDenied)
{
    const QString path = PathOf("locked.tsl");
    WriteRaw(path, Hex("00000000"));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0), 0);
    ScopedFileCapabilityDrop asUser;
    if (!asUser.Binding()) {
        GTEST_SKIP() << "running as root and cannot drop the file capabilities";
    }
    EXPECT_EQ(LoadError(path), "Access to " + path + " was denied.");
}

TEST_F(DocumentFileTest, PipesAndDevicesAreNotReadAsDocuments)
{
    const QString pipe = PathOf("pipe.tsl");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    // Opening a pipe without a writer would block for ever; it must not even be tried.
    EXPECT_EQ(LoadError(pipe), "An unexpected error occurred while reading " + pipe + ".");
    EXPECT_EQ(LoadError("/dev/zero"), "An unexpected error occurred while reading /dev/zero.");
}

TEST_F(DocumentFileTest, ReadOnlyFileOrFolderRefusesTheSaveAndKeepsTheOldFile)
{
    const QString file = PathOf("kept.tsl");
    const QByteArray old = CDocumentFile::Encode(file, Sample());
    WriteRaw(file, old);
    ASSERT_EQ(chmod(QFile::encodeName(file).constData(), 0444), 0);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("locked"));
    const QString inLocked = PathOf("locked/kept.tsl");
    WriteRaw(inLocked, old);
    ASSERT_EQ(chmod(QFile::encodeName(PathOf("locked")).constData(), 0555), 0);

    CDocumentContent changed = Sample();
    changed.sqlText = "select 'new'";
    {
        ScopedFileCapabilityDrop asUser;
        if (!asUser.Binding()) {
            GTEST_SKIP() << "running as root and cannot drop the file capabilities";
        }
        for (const QString& path : {file, inLocked, PathOf("locked/new.tsl")}) {
            QString error;
            EXPECT_FALSE(CDocumentFile::Save(path, changed, error)) << path.toStdString();
            EXPECT_EQ(error, "Unable to write to " + path +
                                 ", it is read-only or opened by someone else.");
        }
    }
    EXPECT_EQ(ReadRaw(file), old);
    EXPECT_EQ(ReadRaw(inLocked), old);
    EXPECT_EQ(QDir(PathOf("locked")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"kept.tsl"});
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.tsl"});
    chmod(QFile::encodeName(PathOf("locked")).constData(), 0755);
}

TEST_F(DocumentFileTest, SaveIntoAFolderOrMissingFolderFails)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("target.tsl/inner"));
    const QString folder = PathOf("target.tsl");
    const QString orphan = PathOf("nowhere/a.tsl");
    for (const QString& path : {folder, orphan}) {
        QString error;
        EXPECT_FALSE(CDocumentFile::Save(path, Sample(), error));
        EXPECT_EQ(error,
                  "Unable to write to " + path + ", it is read-only or opened by someone else.");
    }
    EXPECT_TRUE(QFileInfo(folder + "/inner").isDir());
    EXPECT_FALSE(QFileInfo::exists(PathOf("nowhere")));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"target.tsl"});
}

TEST_F(DocumentFileTest, FailedWriteKeepsTheOldFile)
{
    const QString path = PathOf("old.tsl");
    const QByteArray old = CDocumentFile::Encode(path, Sample());
    WriteRaw(path, old);

    CDocumentContent big = Sample();
    big.sqlText = QString(1 << 16, u'x');
    QString error;
    bool saved = true;
    {
        // A file-size limit makes the write fail even for root, whom permission bits do not stop.
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        ScopedLimit limit(RLIMIT_FSIZE, 4096);
        ASSERT_TRUE(limit.ok());
        saved = CDocumentFile::Save(path, big, error);
        std::signal(SIGXFSZ, previous);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(error, "Failed to save document.");
    EXPECT_EQ(ReadRaw(path), old);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.tsl"});
}

TEST_F(DocumentFileTest, PasswordDocumentsAreOwnerOnly)
{
    const mode_t previousMask = umask(022);
    CDocumentContent withPassword;
    withPassword.connections = {Entry("d", "pw", 1)};
    CDocumentContent unsaved;
    unsaved.connections = {Entry("d", "pw", 0)};

    const QString path = PathOf("p.tsl");
    WriteRaw(path, "old");
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0644), 0);
    SaveBytes("p.tsl", withPassword);
    EXPECT_EQ(ModeOf(path), 0600u);

    SaveBytes("new.tsl", withPassword);
    EXPECT_EQ(ModeOf(PathOf("new.tsl")), 0600u);

    // Without a stored password: a new file gets the usual mode, an existing one keeps its own.
    SaveBytes("plain.tsl", unsaved);
    EXPECT_EQ(ModeOf(PathOf("plain.tsl")), 0644u);
    ASSERT_EQ(chmod(QFile::encodeName(PathOf("plain.tsl")).constData(), 0640), 0);
    SaveBytes("plain.tsl", unsaved);
    EXPECT_EQ(ModeOf(PathOf("plain.tsl")), 0640u);
    // Bare text never holds the connections, so their passwords do not matter.
    SaveBytes("plain.sql", withPassword);
    EXPECT_EQ(ModeOf(PathOf("plain.sql")), 0644u);
    umask(previousMask);
}
