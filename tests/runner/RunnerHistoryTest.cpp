// tessella-run records its runs in the history of the data folder: a run killed mid-query stays
// there unfinished in a sound database that the next run writes on; --no-history leaves it out.

#include "HistoryReader.h"
#include "OdbcTestConfig.h"
#include "document/CDocumentFile.h"
#include "history/CRunHistory.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

// Counts for ever without giving a row.
const QString kEndless = u"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                         u"SELECT count(*) FROM c"_qs;
const QString kPassword = u"Crash-pw-4471"_qs;

class RunnerHistoryTest : public testing::Test
{
protected:
    QString Document(const QString& name, const QString& sql)
    {
        CDocumentContent content;
        CConnectionData entry;
        entry.m_dataSource = source.Name();
        entry.m_password = kPassword;
        content.connections << entry;
        content.sqlText = sql;
        const QString path = dir.filePath(name);
        QString error;
        EXPECT_TRUE(CDocumentFile::Save(path, content, error)) << error.toStdString();
        return path;
    }

    void Start(QProcess& process, const QStringList& arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_DATA_HOME"_qs, dir.filePath(u"data"_qs));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TESSELLA_RUN_BINARY), arguments);
    }

    int Run(const QStringList& arguments)
    {
        QProcess process;
        Start(process, arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        return process.exitCode();
    }

    QList<CHistoryRun> Runs()
    {
        CRunHistory history;
        return history.Open(database) ? history.Runs({}, 100) : QList<CHistoryRun>{};
    }

    QTemporaryDir dir;
    QString database = dir.filePath(u"data/MarrowindTeam/Tessella/history.sqlite"_qs);
    SqliteDataSource source;
};

} // namespace

TEST_F(RunnerHistoryTest, ARunKilledMidQueryStaysUnfinishedInASoundDatabase)
{
    const QString endless = Document(u"endless.tsl"_qs, kEndless);
    QProcess runner;
    Start(runner, {endless});
    ASSERT_TRUE(runner.waitForStarted());
    // The run is recorded before its query: once it is there, the query runs or is about to.
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(database) || Runs().isEmpty()) {
        ASSERT_LT(clock.elapsed(), 20000) << "the run never reached the history";
        ASSERT_EQ(runner.state(), QProcess::Running) << runner.readAllStandardError().toStdString();
        QThread::msleep(20);
    }
    QThread::msleep(300);
    ASSERT_EQ(runner.state(), QProcess::Running) << "the query ended on its own";
    runner.kill(); // SIGKILL: nothing of the runner gets to run
    ASSERT_TRUE(runner.waitForFinished(10000));
    EXPECT_EQ(runner.exitStatus(), QProcess::CrashExit);

    QString error;
    EXPECT_EQ(ReadWithPython(database, u"PRAGMA integrity_check"_qs, error), QStringList{u"ok"_qs})
        << error.toStdString();
    EXPECT_EQ(ReadWithPython(database, u"SELECT document, sql_text, finished FROM runs"_qs, error),
              QStringList{endless + u'\t' + kEndless + u"\t0"_qs})
        << error.toStdString();

    // The next run writes on, the unfinished one stays as it was.
    EXPECT_EQ(Run({Document(u"quick.tsl"_qs, u"SELECT 1 UNION SELECT 2"_qs)}), 0);
    const QList<CHistoryRun> runs = Runs();
    ASSERT_EQ(runs.size(), 2);
    EXPECT_TRUE(runs[0].finished);
    EXPECT_EQ(runs[0].rows, 2);
    EXPECT_EQ(runs[0].program, u"tessella-run"_qs);
    EXPECT_FALSE(runs[1].finished);
    EXPECT_EQ(ReadWithPython(database, u"PRAGMA integrity_check"_qs, error), QStringList{u"ok"_qs});
    EXPECT_FALSE(DatabaseBytes(database).contains(kPassword.toUtf8()));
}

TEST_F(RunnerHistoryTest, NoHistoryLeavesTheRunOut)
{
    const QString quick = Document(u"quick.tsl"_qs, u"SELECT 1"_qs);
    EXPECT_EQ(Run({u"--no-history"_qs, quick}), 0);
    EXPECT_FALSE(QFileInfo::exists(database));
    EXPECT_EQ(Run({quick}), 0);
    EXPECT_EQ(Run({quick, u"--no-history"_qs}), 0);
    const QList<CHistoryRun> runs = Runs();
    ASSERT_EQ(runs.size(), 1);
    EXPECT_TRUE(runs[0].finished);
    EXPECT_EQ(runs[0].rows, 1);
}
