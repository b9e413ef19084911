// Stop while a statement blocks inside the driver: the statement is cancelled
// from the stopping side, the thread ends promptly, the connection stays usable.
// Stop while rows pour in: no driver is cancelled into freeing what it fetches into.

#include "../execution/RunHarness.h"
#include "OdbcTestConfig.h"
#include "ServerDataSources.h"
#include "TimeBounds.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

namespace {

struct LongQuery
{
    const char* label;
    const char* sql; // runs for far longer than the test waits
};

void PrintTo(const LongQuery& query, std::ostream* out)
{
    *out << query.label;
}

// The SQLite one is a single step of the engine that takes minutes: there is
// no next row at which the thread could notice the stop by itself.
const LongQuery kLongQueries[] = {
    {"PostgreSQL", "SELECT pg_sleep(60)"},
    {"MariaDB", "SELECT SLEEP(60)"},
    {"SQLite", "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c "
               "WHERE x < 2000000000) SELECT count(*) FROM c"},
};

class StopBlockedQuery : public testing::TestWithParam<LongQuery>
{
protected:
    void SetUp() override
    {
        const QString label = QString::fromLatin1(GetParam().label);
        CConnectionData entry;
        if (label == u"SQLite"_qs) {
            sqlite = std::make_unique<SqliteDataSource>();
            entry = Entry(sqlite->Name());
        } else if (label == u"PostgreSQL"_qs) {
            if (!servers.AddPostgres(u"StopPg"_qs)) {
                GTEST_SKIP() << servers.Problem().toStdString();
            }
            entry = Entry(u"StopPg"_qs, servers.PostgresUser(), servers.PostgresPassword());
        } else {
            if (!servers.AddMariaDb(u"StopMaria"_qs)) {
                GTEST_SKIP() << servers.Problem().toStdString();
            }
            entry = Entry(u"StopMaria"_qs, servers.MariaDbUser(), servers.MariaDbPassword());
        }
        document.SetSettingsOverride(CRunSettings{});
        document.m_connections.append(entry);
    }

    ServerDataSources servers;
    std::unique_ptr<SqliteDataSource> sqlite;
    CTessellaDoc document;
    RecordingResultsWindow window{document};
};

} // namespace

TEST_P(StopBlockedQuery, StopEndsTheThreadInsteadOfWaitingForTheServer)
{
    CStringTextSource sql(QString::fromLatin1(GetParam().sql));
    document.StartRun(sql);
    // Let it connect and get well into the statement.
    QElapsedTimer started;
    started.start();
    while (started.elapsed() < 1500) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ASSERT_FALSE(document.IsIdle()) << "the statement is still running";

    QElapsedTimer stopping;
    stopping.start();
    document.StopRun(0);
    ASSERT_TRUE(WaitUntilIdle(document, 20000));
    const qint64 latency = stopping.elapsed();
    RecordProperty("stop_latency_ms", int(latency));
    // Without the cancel this takes the full minute. The bound is loose on
    // purpose: on a loaded machine the lowest-priority thread may wait for a
    // core before it can end; the figure itself is reported above.
    EXPECT_LT(latency, TimeBound(10000)) << "took " << latency << " ms";
    EXPECT_TRUE(ResultLines(document).filter(u"2|"_qs).isEmpty())
        << "a stop shows no error: " << ResultLines(document).join(u'\n').toStdString();

    // The kept connection serves the next run.
    ASSERT_TRUE(RunToEnd(document, u"SELECT 7 AS seven"_qs));
    EXPECT_TRUE(ResultLines(document).contains(u"3|7"_qs))
        << ResultLines(document).join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Drivers, StopBlockedQuery, testing::ValuesIn(kLongQueries));

namespace {

// Results of 300,000 rows that come as fast as the driver can fetch them: a stop comes while the
// thread is inside a fetch most of the time.
const LongQuery kLongResults[] = {
    {"PostgreSQL", "SELECT generate_series(1, 300000) AS n"},
    {"MariaDB", "SELECT seq AS n FROM seq_1_to_300000"},
    {"SQLite", "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 300000) "
               "SELECT x AS n FROM c"},
};

using StopWhileFetching = StopBlockedQuery;

qsizetype RowsShown(const CTessellaDoc& document)
{
    const CResultStore& results = document.Results();
    qsizetype rows = 0;
    for (qsizetype row = 0; row < results.Count(); ++row) {
        rows += results.At(row).Kind() == ElemRow ? 1 : 0;
    }
    return rows;
}

} // namespace

TEST_P(StopWhileFetching, TheRunEndsAndTheKeptConnectionGoesOn)
{
    document.SetLowPriorityThreads(false);
    // Each time a little later in the result, so that one stop or another lands inside a fetch.
    for (qsizetype attempt = 0; attempt < 10; ++attempt) {
        CStringTextSource sql(QString::fromLatin1(GetParam().sql));
        document.StartRun(sql);
        QElapsedTimer started;
        started.start();
        while (RowsShown(document) < 10 + attempt * 100 && !document.IsIdle() &&
               started.elapsed() < TimeBound(20000)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        document.StopRun(0);
        ASSERT_TRUE(WaitUntilIdle(document, int(TimeBound(10000))));
        // MariaDB's driver takes no query time-out, and the run goes on without.
        QStringList errors = ResultLines(document).filter(u"2|"_qs);
        errors.removeAll(u"2|Can't set query timeout"_qs);
        EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();

        ASSERT_TRUE(RunToEnd(document, u"SELECT 7 AS seven"_qs));
        EXPECT_TRUE(ResultLines(document).contains(u"3|7"_qs))
            << ResultLines(document).join(u'\n').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Drivers, StopWhileFetching, testing::ValuesIn(kLongResults));
