// The history database: runs written and read back, by this program and by another reader, the
// newest 1,000 kept, the schema's version.

#include "HistoryReader.h"
#include "history/CRunHistory.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

CHistoryRun Beginning(const QString& sql, const QString& document = u"/tmp/a.tsl"_qs)
{
    CHistoryRun run;
    run.started = QDateTime::fromMSecsSinceEpoch(1700000000123, Qt::UTC);
    run.program = u"tessella-run"_qs;
    run.document = document;
    run.connections = {u"Ünïcode DSN #1 (anna)"_qs, u"Other"_qs};
    run.sqlText = sql;
    return run;
}

class RunHistoryTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(history.Open(path)) << history.Error().toStdString(); }

    QTemporaryDir dir;
    QString path = dir.filePath(u"sub/history.sqlite"_qs);
    CRunHistory history;
};

} // namespace

TEST_F(RunHistoryTest, ARunIsReadBackAsWrittenHereAndByPython)
{
    const qint64 id = history.Begin(Beginning(u"SELECT 'κόσμε';\nSELECT 2"_qs));
    ASSERT_GT(id, 0) << history.Error().toStdString();
    std::optional<CHistoryRun> run = history.Run(id);
    ASSERT_TRUE(run);
    EXPECT_FALSE(run->finished);
    EXPECT_TRUE(run->lines.isEmpty());

    CHistoryRun end;
    end.batches = 2;
    end.durationMs = 1500;
    end.lines = {{u"Ünïcode DSN #1 (anna)"_qs, 7, 0, false, true, 1400},
                 {u"Other"_qs, 0, 3, true, true, 20}};
    ASSERT_TRUE(history.Complete(id, end)) << history.Error().toStdString();
    run = history.Run(id);
    ASSERT_TRUE(run);
    EXPECT_TRUE(run->finished);
    EXPECT_FALSE(run->stopped);
    EXPECT_EQ(run->started, Beginning({}).started);
    EXPECT_EQ(run->program, u"tessella-run"_qs);
    EXPECT_EQ(run->document, u"/tmp/a.tsl"_qs);
    EXPECT_EQ(run->connections, Beginning({}).connections);
    EXPECT_EQ(run->sqlText, u"SELECT 'κόσμε';\nSELECT 2"_qs);
    EXPECT_EQ(run->batches, 2);
    EXPECT_EQ(run->rows, 7);
    EXPECT_EQ(run->errors, 3);
    EXPECT_EQ(run->durationMs, 1500);
    ASSERT_EQ(run->lines.size(), 2);
    EXPECT_EQ(run->lines[1].connection, u"Other"_qs);
    EXPECT_TRUE(run->lines[1].failed);
    EXPECT_EQ(run->lines[0].rows, 7);
    EXPECT_EQ(run->lines[0].durationMs, 1400);

    QString error;
    EXPECT_EQ(
        ReadWithPython(path,
                       u"SELECT started_ms, document, sql_text, finished, rows, errors "
                       u"FROM runs"_qs,
                       error),
        (QStringList{u"1700000000123\t/tmp/a.tsl\tSELECT 'κόσμε';"_qs, u"SELECT 2\t1\t7\t3"_qs}))
        << error.toStdString();
    EXPECT_EQ(ReadWithPython(path,
                             u"SELECT connection, rows, errors, failed, duration_ms FROM "
                             u"run_connections ORDER BY position"_qs,
                             error),
              (QStringList{u"Ünïcode DSN #1 (anna)\t7\t0\t0\t1400"_qs, u"Other\t0\t3\t1\t20"_qs}))
        << error.toStdString();
    EXPECT_EQ(ReadWithPython(path, u"PRAGMA user_version"_qs, error), QStringList{u"1"_qs});
    EXPECT_EQ(ReadWithPython(path, u"PRAGMA journal_mode"_qs, error), QStringList{u"wal"_qs});
}

TEST_F(RunHistoryTest, TheListIsNewestFirstAndFiltersOnTextDocumentAndNames)
{
    const qint64 first = history.Begin(Beginning(u"SELECT * FROM orders"_qs));
    CHistoryRun other = Beginning(u"DELETE FROM 100%_done"_qs, u"/home/x/Reports.tsl"_qs);
    other.connections = {u"Warehouse"_qs};
    const qint64 second = history.Begin(other);

    auto ids = [this](const QString& filter) {
        QList<qint64> found;
        for (const CHistoryRun& run : history.Runs(filter, 10)) {
            found << run.id;
        }
        return found;
    };
    EXPECT_EQ(ids({}), (QList<qint64>{second, first}));
    EXPECT_EQ(ids(u"ORDERS"_qs), QList<qint64>{first});
    EXPECT_EQ(ids(u"reports"_qs), QList<qint64>{second});
    EXPECT_EQ(ids(u"wareh"_qs), QList<qint64>{second});
    // The filter's own characters are no patterns.
    EXPECT_EQ(ids(u"100%_"_qs), QList<qint64>{second});
    EXPECT_EQ(ids(u"0%d"_qs), QList<qint64>{});
    EXPECT_EQ(history.Runs({}, 1).size(), 1);
    // A list leaves the text out.
    EXPECT_TRUE(history.Runs({}, 10).first().sqlText.isEmpty());
}

TEST_F(RunHistoryTest, TrimKeepsTheNewestThousand)
{
    QList<qint64> ids;
    for (int i = 0; i < 1005; ++i) {
        ids << history.Begin(Beginning(u"SELECT %1"_qs.arg(i)));
        ASSERT_TRUE(history.Trim(1000)) << history.Error().toStdString();
    }
    CHistoryRun end;
    end.lines = {{u"Other"_qs, 1, 0, false, true, 1}};
    // One that ended after it was trimmed away leaves no lines behind.
    EXPECT_FALSE(history.Complete(ids.first(), end));
    const QList<CHistoryRun> runs = history.Runs({}, 5000);
    ASSERT_EQ(runs.size(), 1000);
    EXPECT_EQ(runs.first().id, ids.last());
    EXPECT_EQ(runs.last().id, ids[5]);
    EXPECT_FALSE(history.Run(ids[4]));
    QString error;
    EXPECT_EQ(ReadWithPython(path, u"SELECT count(*) FROM run_connections"_qs, error),
              QStringList{u"0"_qs})
        << error.toStdString();
}

TEST(RunHistory, ADatabaseOfANewerVersionIsLeftAlone)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"history.sqlite"_qs);
    {
        CRunHistory history;
        ASSERT_TRUE(history.Open(path));
    }
    CSqliteDatabase raw;
    ASSERT_TRUE(raw.Open(path, 1000));
    ASSERT_TRUE(raw.Execute("PRAGMA user_version = 7"));
    CRunHistory history;
    EXPECT_FALSE(history.Open(path));
    EXPECT_TRUE(history.Error().contains(u"newer"_qs)) << history.Error().toStdString();
}
