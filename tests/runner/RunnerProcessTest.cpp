#include "OdbcTestConfig.h"
#include "ScopedFileCapabilityDrop.h"
#include "document/CArchive.h"
#include "document/CDocumentFile.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <chrono>
#include <csignal>
#include <limits>
#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

// `asUser`: a root test process starts the runner without root's capabilities, so that
// permission bits bind it as they bind an ordinary user.
Outcome RunTool(const QStringList& args, bool asUser = false)
{
    QProcess process;
    if (asUser) {
        process.setChildProcessModifier(&ScopedFileCapabilityDrop::LoseRootCapabilitiesOnExec);
    }
    process.start(QStringLiteral(TESSELLA_RUN_BINARY), args);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

CDocumentContent SampleDocument()
{
    CDocumentContent content;
    CConnectionData first;
    first.m_dataSource = u"Ünïcode DSN"_qs;
    first.m_login = u"anna"_qs;
    first.m_password = u"pw"_qs;
    CConnectionData second;
    second.m_dataSource = u"Other"_qs;
    second.m_savePassword = 0;
    second.m_password = u"dropped"_qs;
    second.m_timeOut = 5;
    second.m_enabled = 0;
    content.connections.append(first);
    content.connections.append(second);
    content.sqlText = u"SELECT 'Grüße €' AS x;\r\nSELECT 'κόσμε 世界';"_qs;
    return content;
}

} // namespace

TEST(RunnerProcess, PrintsADocumentsConnectionsAndText)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"sample.tsl"_qs);
    QString error;
    ASSERT_TRUE(CDocumentFile::Save(path, SampleDocument(), error)) << error.toStdString();

    const Outcome outcome = RunTool({u"--print-document"_qs, path});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(outcome.out, u"Ünïcode DSN\tanna\tpw\t1\t30\t1\n"
                           u"Other\t\t\t0\t5\t0\n"
                           u"--\n"
                           u"SELECT 'Grüße €' AS x;\r\nSELECT 'κόσμε 世界';"_qs);
}

TEST(RunnerProcess, SaveAsConvertsBetweenTheTwoShapes)
{
    QTemporaryDir dir;
    const QString document = dir.filePath(u"sample.tsl"_qs);
    const QString bare = dir.filePath(u"copy.sql"_qs);
    QString error;
    ASSERT_TRUE(CDocumentFile::Save(document, SampleDocument(), error));

    EXPECT_EQ(RunTool({u"--save-as"_qs, bare, document}).exitCode, 0);
    CDocumentContent loaded;
    ASSERT_TRUE(CDocumentFile::Load(bare, loaded, error));
    EXPECT_TRUE(loaded.connections.isEmpty());
    EXPECT_EQ(loaded.sqlText, SampleDocument().sqlText);
}

TEST(RunnerProcess, FileErrorsExitWithTwoAndOneLine)
{
    QTemporaryDir dir;
    const QString broken = dir.filePath(u"broken.tsl"_qs);
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x05\x00\x00\x00\xff", 5);
    file.close();

    Outcome outcome = RunTool({u"--print-document"_qs, broken});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, u"Unexpected file format.\n"_qs);
    EXPECT_TRUE(outcome.out.isEmpty());

    outcome = RunTool({u"--print-document"_qs, dir.filePath(u"missing.tsl"_qs)});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_TRUE(outcome.err.contains(u"Cannot find this file."_qs)) << outcome.err.toStdString();
    EXPECT_EQ(outcome.err.count(u'\n'), 1);

    outcome = RunTool({u"--no-such-option"_qs});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, u"tessella-run: Unknown option --no-such-option.\n"
                           u"Run tessella-run --help for the options.\n"_qs);
}

TEST(RunnerProcess, HelpAndVersionGoToStandardOutput)
{
    Outcome outcome = RunTool({u"--version"_qs});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(QRegularExpression(uR"(^tessella-run \d+\.\d+\.\d+(\.\d+)?\n$)"_qs)
                    .match(outcome.out)
                    .hasMatch())
        << outcome.out.toStdString();
    EXPECT_TRUE(outcome.err.isEmpty());

    outcome = RunTool({u"--help"_qs});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.out.startsWith(u"Usage:\n"_qs)) << outcome.out.toStdString();
    EXPECT_TRUE(outcome.out.contains(u"\n  --version "_qs));
}

TEST(RunnerProcess, ConnectReportsTheServerOrItsError)
{
    SqliteDataSource source;
    Outcome outcome = RunTool({u"--connect"_qs, source.Name(), u"--user"_qs, u"tester"_qs});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(outcome.out, u"DBMS name:\tSQLite\nUser name:\ttester\n"_qs);

    outcome = RunTool({u"--connect"_qs, u"NoSuchSource"_qs, u"--password"_qs, u"hunter2"_qs});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.err.startsWith(u"IM002 "_qs)) << outcome.err.toStdString();
    EXPECT_FALSE(outcome.err.contains(u"hunter2"_qs)) << "the password never shows";
}

namespace {

QString WriteSql(const QTemporaryDir& dir, const QString& name, const QString& sql)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(sql.toUtf8());
    return path;
}

} // namespace

TEST(RunnerProcess, RunsADocumentAndWritesTheMergedResults)
{
    SqliteDataSource source;
    QTemporaryDir dir;
    CDocumentContent content;
    CConnectionData entry;
    entry.m_dataSource = source.Name();
    content.connections.append(entry);
    content.sqlText = u"SELECT 1 AS a, 'x' || char(10) || 'y' AS b ;\r\nSELECT * FROM missing"_qs;
    const QString path = dir.filePath(u"run.tsl"_qs);
    QString error;
    ASSERT_TRUE(CDocumentFile::Save(path, content, error));

    const Outcome outcome = RunTool({path});
    EXPECT_EQ(outcome.exitCode, 1) << "a batch failed";
    const QStringList lines = outcome.out.split(u'\n');
    ASSERT_GE(lines.size(), 5) << outcome.out.toStdString();
    EXPECT_EQ(lines.mid(0, 4), (QStringList{u"0\t"_qs + source.Name(), u"4\ta\tb"_qs,
                                            u"3\t1\tx y"_qs, u"1\tEnd(No data found)"_qs}));
    EXPECT_TRUE(lines[4].startsWith(u"2\t[Native:"_qs)) << lines[4].toStdString();
}

TEST(RunnerProcess, BareSqlWithDataSourcesAndOverrides)
{
    SqliteDataSource source;
    QTemporaryDir dir;
    const QString twoBatches = WriteSql(dir, u"q.sql"_qs, u"SELECT 1 AS one ;\nSELECT 2 AS two"_qs);

    Outcome outcome = RunTool({u"--dsn"_qs, source.Name(), twoBatches});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.out.toStdString();
    EXPECT_EQ(outcome.out.count(u"\n4\t"_qs), 2);

    outcome = RunTool({u"--dsn"_qs, source.Name(), u"--ignore-info"_qs, twoBatches});
    EXPECT_FALSE(outcome.out.contains(u"End(No data found)"_qs));

    // One batch of two statements: the SQLite driver refuses it.
    outcome = RunTool({u"--dsn"_qs, source.Name(), u"--no-separator"_qs, twoBatches});
    EXPECT_EQ(outcome.exitCode, 1);

    const QString goSeparated = WriteSql(dir, u"go.sql"_qs, u"SELECT 1 AS one\nGO\nSELECT 2"_qs);
    outcome = RunTool({u"--dsn"_qs, source.Name(), u"--separator"_qs, u"GO"_qs, goSeparated});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.out.toStdString();

    outcome =
        RunTool({u"--dsn"_qs, u"NoSuchSource"_qs, u"--password"_qs, u"sesame"_qs, twoBatches});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.out.contains(u"IM002"_qs));
    EXPECT_FALSE(outcome.out.contains(u"sesame"_qs) || outcome.err.contains(u"sesame"_qs));
}

// The benchmarks time a run from their own clock to the last batch taken.
TEST(RunnerProcess, TimingTellsWhenTheLastBatchWasTakenAndTheOutputWritten)
{
    SqliteDataSource source;
    QTemporaryDir dir;
    const QString rows =
        WriteSql(dir, u"rows.sql"_qs,
                 u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 500) "
                 u"SELECT i FROM n"_qs);
    const auto monotonicNs = [] {
        return qint64(std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::steady_clock::now().time_since_epoch())
                          .count());
    };
    const qint64 start = monotonicNs();
    const Outcome timed = RunTool({u"--timing"_qs, u"--dsn"_qs, source.Name(), rows});
    const qint64 end = monotonicNs();
    EXPECT_EQ(timed.exitCode, 0) << timed.err.toStdString();
    EXPECT_EQ(timed.out, RunTool({u"--dsn"_qs, source.Name(), rows}).out)
        << "the output is the same with or without timing";

    const QStringList fields = timed.err.trimmed().split(u'\t');
    ASSERT_EQ(fields.size(), 5) << timed.err.toStdString();
    EXPECT_EQ(fields[0], u"timing"_qs);
    EXPECT_EQ(fields[1], u"last-intake-ns"_qs);
    EXPECT_EQ(fields[3], u"output-written-ns"_qs);
    const qint64 intake = fields[2].toLongLong();
    const qint64 written = fields[4].toLongLong();
    EXPECT_GT(intake, start);
    EXPECT_LE(intake, written);
    EXPECT_LT(written, end);
}

TEST(RunnerProcess, InterruptStopsTheRunAndKeepsWhatArrived)
{
    SqliteDataSource source;
    QTemporaryDir dir;
    const QString endless = WriteSql(
        dir, u"endless.sql"_qs,
        u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT i FROM n"_qs);
    QProcess process;
    process.start(QStringLiteral(TESSELLA_RUN_BINARY),
                  {u"--progress"_qs, u"--dsn"_qs, source.Name(), endless});
    ASSERT_TRUE(process.waitForStarted());
    process.setReadChannel(QProcess::StandardError);
    // Interrupt once rows are arriving, however slow the machine.
    static const QRegularExpression someRows(u": [1-9][0-9]* rows"_qs);
    QString progress;
    while (!someRows.match(progress).hasMatch() && process.waitForReadyRead(20000)) {
        progress += QString::fromUtf8(process.readAllStandardError());
    }
    ASSERT_TRUE(someRows.match(progress).hasMatch()) << progress.toStdString();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(10000)) << "the run ends after Ctrl+C";
    EXPECT_EQ(process.exitCode(), 130);
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(out.startsWith(u"0\t"_qs + source.Name() + u"\n4\ti\n3\t1\n"_qs))
        << out.left(200).toStdString();
}

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

unsigned ModeOf(const QString& path)
{
    struct stat info = {};
    EXPECT_EQ(stat(QFile::encodeName(path).constData(), &info), 0);
    return info.st_mode & 07777;
}

} // namespace

TEST(RunnerProcess, SaveAsKeepsTheBytesOfTheText)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(u"utf8.sql"_qs);
    const QByteArray sql = "SELECT length('a\nb'), 'caf\xc3\xa9';\n";
    WriteBytes(source, sql);
    const QString copy = dir.filePath(u"copy.sql"_qs);
    ASSERT_EQ(RunTool({u"--save-as"_qs, copy, source}).exitCode, 0);
    EXPECT_EQ(ReadAll(copy).toHex(' '), sql.toHex(' '));
    // A document holds the text as its other readers expect: Windows-1252, CR LF.
    const QString document = dir.filePath(u"with-dsn.tsl"_qs);
    ASSERT_EQ(RunTool({u"--save-as"_qs, document, source, u"--dsn"_qs, u"Db"_qs}).exitCode, 0);
    EXPECT_TRUE(ReadAll(document).endsWith("SELECT length('a\r\nb'), 'caf\xe9';\r\n"));
}

TEST(RunnerProcess, BadDocumentsFailWithTheirMessageWhateverTheCommand)
{
    QTemporaryDir dir;
    const QByteArray full = CDocumentFile::Encode(u"a.tsl"_qs, SampleDocument());
    CArchive hugeCount(CArchive::Mode::Store);
    hugeCount.WriteInt32(std::numeric_limits<qint32>::max());
    struct Case
    {
        QString name;
        QByteArray bytes; // null: a folder of that name
        QString message;
    };
    const QString unexpected = u"Unexpected file format.\n"_qs;
    const Case cases[] = {
        {u"truncated.tsl"_qs, full.left(full.size() / 2), unexpected},
        {u"huge-count.tsl"_qs, hugeCount.Bytes() + QByteArray(200, '\0'), unexpected},
        {u"huge-length.tsl"_qs,
         QByteArray::fromHex("01000000 fffeffffffff ffffff7f") + QByteArray(64, 'a'), unexpected},
        {u"folder.tsl"_qs, QByteArray(),
         u"An unexpected error occurred while reading %1.\n"_qs.arg(
             dir.filePath(u"folder.tsl"_qs))},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(c.name);
        if (c.bytes.isNull()) {
            ASSERT_TRUE(QDir(dir.path()).mkdir(c.name));
        } else {
            WriteBytes(path, c.bytes);
        }
        const QString copy = dir.filePath(u"copy-of-"_qs + c.name + u".sql"_qs);
        const QList<QStringList> commands = {
            {path}, {u"--print-document"_qs, path}, {u"--save-as"_qs, copy, path}};
        for (const QStringList& command : commands) {
            const Outcome outcome = RunTool(command);
            EXPECT_EQ(outcome.exitCode, 2) << command.join(u' ').toStdString();
            EXPECT_EQ(outcome.err, c.message) << command.join(u' ').toStdString();
            EXPECT_TRUE(outcome.out.isEmpty()) << command.join(u' ').toStdString();
        }
        EXPECT_FALSE(QFileInfo::exists(copy)) << "nothing is saved from a bad document";
    }
}

TEST(RunnerProcess, UnreadableDocumentIsAccessDenied)
{
    if (!ScopedFileCapabilityDrop::ChildCanLoseRoot()) {
        GTEST_SKIP() << "running as root without CAP_SETPCAP: the runner would keep root's powers";
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(u"locked.tsl"_qs);
    QString error;
    ASSERT_TRUE(CDocumentFile::Save(path, SampleDocument(), error));
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0), 0);
    // The temporary folder is the test's own and private; the runner must reach the file in it.
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const Outcome outcome = RunTool({u"--print-document"_qs, path}, true);
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, u"Access to %1 was denied.\n"_qs.arg(path));
    EXPECT_TRUE(outcome.out.isEmpty());
}

TEST(RunnerProcess, SaveAsOntoReadOnlyTargetsKeepsThem)
{
    if (!ScopedFileCapabilityDrop::ChildCanLoseRoot()) {
        GTEST_SKIP() << "running as root without CAP_SETPCAP: the runner would keep root's powers";
    }
    QTemporaryDir dir;
    ASSERT_EQ(chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QString source = dir.filePath(u"source.tsl"_qs);
    QString error;
    ASSERT_TRUE(CDocumentFile::Save(source, SampleDocument(), error));
    ASSERT_EQ(chmod(QFile::encodeName(source).constData(), 0644), 0);

    const QString readOnlyFile = dir.filePath(u"read-only.tsl"_qs);
    WriteBytes(readOnlyFile, "old contents");
    ASSERT_EQ(chmod(QFile::encodeName(readOnlyFile).constData(), 0444), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"locked"_qs));
    const QString inLockedFolder = dir.filePath(u"locked/kept.sql"_qs);
    WriteBytes(inLockedFolder, "old contents");
    ASSERT_EQ(chmod(QFile::encodeName(dir.filePath(u"locked"_qs)).constData(), 0555), 0);

    for (const QString& target : {readOnlyFile, inLockedFolder}) {
        const Outcome outcome = RunTool({u"--save-as"_qs, target, source}, true);
        EXPECT_EQ(outcome.exitCode, 2) << target.toStdString();
        EXPECT_EQ(
            outcome.err,
            u"Unable to write to %1, it is read-only or opened by someone else.\n"_qs.arg(target));
        EXPECT_EQ(ReadAll(target), "old contents") << target.toStdString();
    }
    EXPECT_EQ(QDir(dir.filePath(u"locked"_qs)).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"kept.sql"_qs});
    chmod(QFile::encodeName(dir.filePath(u"locked"_qs)).constData(), 0755);
}

TEST(RunnerProcess, SaveAsWithAPasswordLeavesAnOwnerOnlyFile)
{
    QTemporaryDir dir;
    const QString bare = WriteSql(dir, u"q.sql"_qs, u"SELECT 1"_qs);
    const QString target = dir.filePath(u"with-password.tsl"_qs);
    WriteBytes(target, "an older, shared file");
    ASSERT_EQ(chmod(QFile::encodeName(target).constData(), 0664), 0);

    Outcome outcome = RunTool(
        {u"--save-as"_qs, target, bare, u"--dsn"_qs, u"Db"_qs, u"--password"_qs, u"K3y!"_qs});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(ModeOf(target), 0600u);
    EXPECT_FALSE(outcome.out.contains(u"K3y!"_qs) || outcome.err.contains(u"K3y!"_qs));
    CDocumentContent loaded;
    QString error;
    ASSERT_TRUE(CDocumentFile::Load(target, loaded, error)) << error.toStdString();
    ASSERT_EQ(loaded.connections.size(), 1);
    EXPECT_EQ(loaded.connections[0].m_password, u"K3y!"_qs);

    // A password from standard input stays out of the process list and reaches the file.
    const QString piped = dir.filePath(u"piped.tsl"_qs);
    QProcess process;
    process.start(QStringLiteral(TESSELLA_RUN_BINARY),
                  {u"--save-as"_qs, piped, bare, u"--dsn"_qs, u"Db"_qs, u"--password"_qs, u"-"_qs});
    ASSERT_TRUE(process.waitForStarted());
    process.write("Pip3d;}\n");
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    ASSERT_TRUE(CDocumentFile::Load(piped, loaded, error)) << error.toStdString();
    EXPECT_EQ(loaded.connections.value(0).m_password, u"Pip3d;}"_qs);
    EXPECT_EQ(ModeOf(piped), 0600u);

    // Without a password the same command leaves a new file as the umask has it.
    const QString plain = dir.filePath(u"plain.tsl"_qs);
    const mode_t previousMask = umask(022);
    outcome = RunTool({u"--save-as"_qs, plain, bare, u"--dsn"_qs, u"Db"_qs});
    umask(previousMask);
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(ModeOf(plain), 0644u);
}
