// tessella-run writing as rows arrive, and ending on a stop signal whatever its threads do.

#include "OdbcTestConfig.h"
#include "SilentServer.h"
#include "TimeBounds.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TESSELLA_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TESSELLA_SANITIZED 1
#endif
#endif

#include <gtest/gtest.h>

namespace {

QString WriteSql(const QTemporaryDir& dir, const QString& name, const QString& sql)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(sql.toUtf8());
    return path;
}

// Runs tessella-run on `sql` with `arguments` before it, to its end.
int RunToEnd(const QStringList& arguments, QByteArray* out = nullptr)
{
    QProcess process;
    process.start(QStringLiteral(TESSELLA_RUN_BINARY), arguments);
    EXPECT_TRUE(process.waitForFinished(60000));
    if (out) {
        *out = process.readAllStandardOutput();
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// Reads the channel until `pattern` matches what came, for at most `milliseconds`.
bool WaitFor(QProcess& process, QProcess::ProcessChannel channel, const QRegularExpression& pattern,
             QByteArray& seen, int milliseconds)
{
    process.setReadChannel(channel);
    QElapsedTimer clock;
    clock.start();
    while (!pattern.match(QString::fromUtf8(seen)).hasMatch()) {
        if (clock.elapsed() > milliseconds || process.state() == QProcess::NotRunning) {
            return false;
        }
        process.waitForReadyRead(200);
        seen += channel == QProcess::StandardOutput ? process.readAllStandardOutput()
                                                    : process.readAllStandardError();
    }
    return true;
}

struct StopSignal
{
    int signal;
    int exitCode;
    const char* name;
};

// Sends the signal and waits for the end; the milliseconds the runner took, -1 past 15 s.
qint64 StopAndTime(QProcess& process, const StopSignal& stop)
{
    QElapsedTimer clock;
    clock.start();
    ::kill(static_cast<pid_t>(process.processId()), stop.signal);
    if (!process.waitForFinished(15000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return clock.elapsed();
}

const QString kEndlessRows =
    u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n) SELECT i FROM n"_qs;

} // namespace

TEST(RunnerStreaming, StopSignalsKeepWhatStreamedAndExitWithTheirCode)
{
    SqliteDataSource source;
    QTemporaryDir dir;
    const QString endless = WriteSql(dir, u"endless.sql"_qs, kEndlessRows);
    for (const StopSignal& stop : {StopSignal{SIGTERM, 143, "SIGTERM"}, {SIGHUP, 129, "SIGHUP"}}) {
        SCOPED_TRACE(stop.name);
        QProcess process;
        process.start(QStringLiteral(TESSELLA_RUN_BINARY), {u"--dsn"_qs, source.Name(), endless});
        ASSERT_TRUE(process.waitForStarted());
        // Rows reach the output while the query still runs.
        QByteArray out;
        static const QRegularExpression someRows(u"\n3\t1000\n"_qs);
        ASSERT_TRUE(WaitFor(process, QProcess::StandardOutput, someRows, out, 20000))
            << out.size() << " bytes before the stop";
        const qint64 took = StopAndTime(process, stop);
        ASSERT_GE(took, 0) << "still running 15 s after the signal";
        EXPECT_LT(took, TimeBound(3000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), stop.exitCode);
        out += process.readAllStandardOutput();
        EXPECT_TRUE(process.readAllStandardError().contains(QByteArray("stopped by ") + stop.name));

        // Every row up to the last one written, none lost on the way, the last line whole.
        ASSERT_TRUE(out.startsWith(("0\t" + source.Name() + "\n4\ti\n").toUtf8()));
        ASSERT_TRUE(out.endsWith('\n'));
        const QList<QByteArray> lines = out.chopped(1).split('\n').mid(2);
        ASSERT_GE(lines.size(), 1000);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            ASSERT_EQ(lines[i], "3\t" + QByteArray::number(i + 1)) << "line " << i + 3;
        }
    }
}

TEST(RunnerStreaming, StopSignalsEndARunStuckInAConnect)
{
    SilentServer silent;
    ASSERT_NE(silent.Port(), 0);
    const QString hung = u"SilentPostgres"_qs;
    OdbcTestConfig::Instance().SetDataSource(hung, {{u"Driver"_qs, u"PostgreSQL Unicode"_qs},
                                                    {u"Servername"_qs, u"127.0.0.1"_qs},
                                                    {u"Port"_qs, QString::number(silent.Port())},
                                                    {u"Database"_qs, u"nothing"_qs},
                                                    {u"SSLmode"_qs, u"disable"_qs}});
    const auto removeHung =
        qScopeGuard([&hung] { OdbcTestConfig::Instance().RemoveDataSource(hung); });
    SqliteDataSource answering;
    QTemporaryDir dir;
    const QString sql = WriteSql(dir, u"answer.sql"_qs, u"SELECT 42 AS answer"_qs);
    for (const StopSignal& stop : {StopSignal{SIGINT, 130, "SIGINT"}, {SIGTERM, 143, "SIGTERM"}}) {
        SCOPED_TRACE(stop.name);
        QProcess process;
        // Time-out 0: the connect waits for the server without limit.
        process.start(QStringLiteral(TESSELLA_RUN_BINARY),
                      {u"--progress"_qs, u"--dsn"_qs, hung, u"--timeout"_qs, u"0"_qs, u"--dsn"_qs,
                       answering.Name(), sql});
        ASSERT_TRUE(process.waitForStarted());
        QByteArray progress;
        const QRegularExpression answered(QRegularExpression::escape(answering.Name()) +
                                          u": 1 rows"_qs);
        ASSERT_TRUE(WaitFor(process, QProcess::StandardError, answered, progress, 20000))
            << progress.toStdString();

        const qint64 took = StopAndTime(process, stop);
        ASSERT_GE(took, 0) << "still running 15 s after the signal";
        EXPECT_LT(took, TimeBound(3000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), stop.exitCode);
        // The silent server's group has nothing; the answer, held behind it, is written.
        EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()),
                  u"0\t"_qs + answering.Name() + u"\n4\tanswer\n3\t42\n1\tEnd(No data found)\n"_qs);
    }
}

TEST(RunnerStreaming, GroupsFollowTheDocumentsOrderNotTheirArrival)
{
    // The same query on both: a long count on the first, an immediate one on the second.
    SqliteDataSource slow;
    SqliteDataSource quick;
    QTemporaryDir dir;
    ASSERT_EQ(RunToEnd({u"--dsn"_qs, slow.Name(),
                        WriteSql(dir, u"slow.sql"_qs,
                                 u"CREATE TABLE n (k)\n;\nINSERT INTO n VALUES "
                                 u"(1000000)"_qs)}),
              0);
    ASSERT_EQ(RunToEnd({u"--dsn"_qs, quick.Name(),
                        WriteSql(dir, u"quick.sql"_qs,
                                 u"CREATE TABLE n (k)\n;\nINSERT INTO n VALUES (1)"_qs)}),
              0);
    const QString count = WriteSql(
        dir, u"count.sql"_qs,
        u"WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c, n WHERE i < n.k) "
        u"SELECT count(*) AS total FROM c"_qs);
    QByteArray out;
    ASSERT_EQ(RunToEnd({u"--dsn"_qs, slow.Name(), u"--dsn"_qs, quick.Name(), count}, &out), 0);
    const QString group = u"0\t%1\n4\ttotal\n3\t%2\n1\tEnd(No data found)\n"_qs;
    EXPECT_EQ(
        out.toStdString(),
        (group.arg(slow.Name(), u"1000000"_qs) + group.arg(quick.Name(), u"1"_qs)).toStdString());
}

TEST(RunnerStreaming, OutputSurvivesAMemoryLimitThatHoldingItWouldBreak)
{
#ifdef TESSELLA_SANITIZED
    GTEST_SKIP() << "a sanitizer's shadow memory alone is past any address-space limit";
#endif
    // 150,000 rows of about 1,000 characters: about 150 MB of output, over 300 MB held as the
    // result list holds rows. The runner may have 192 MiB of address space, its libraries and
    // threads' stacks included.
    constexpr int kRows = 150'000;
    SqliteDataSource source;
    QTemporaryDir dir;
    const QString wide = WriteSql(
        dir, u"wide.sql"_qs,
        u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
        u"SELECT i, x AS a, x AS b, x AS c, x AS d FROM (SELECT i, printf('%.*c', 250, 'x') AS x "
        u"FROM n)"_qs.arg(kRows));
    const QString output = dir.filePath(u"out.txt"_qs);
    QProcess process;
    process.setChildProcessModifier([] {
        const rlimit limit{192u << 20, 192u << 20};
        setrlimit(RLIMIT_AS, &limit);
    });
    // glibc reserves 64 MiB of address space for each thread's own heap and, refused one under
    // the limit, takes every allocation by mmap, page by page: one heap for all keeps the
    // figure about the rows.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"MALLOC_ARENA_MAX"_qs, u"1"_qs);
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(output);
    process.start(QStringLiteral(TESSELLA_RUN_BINARY), {u"--dsn"_qs, source.Name(), wide});
    ASSERT_TRUE(process.waitForFinished(180000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit)
        << process.readAllStandardError().toStdString();
    EXPECT_EQ(process.exitCode(), 0);

    QFile file(output);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray values = '\t' + QByteArray(250, 'x');
    int rows = 0;
    QByteArray last;
    while (!file.atEnd()) {
        last = file.readLine();
        if (last.startsWith("3\t")) {
            ++rows;
            ASSERT_EQ(last, "3\t" + QByteArray::number(rows) + values.repeated(4) + '\n');
        }
    }
    EXPECT_EQ(rows, kRows);
    EXPECT_EQ(last, "1\tEnd(No data found)\n");
}
