// A server that goes away in the middle of a run: its group keeps the rows
// that arrived and shows the driver's diagnostics, the other groups are
// complete, and the next run works.

#include "FaultHarness.h"
#include "OdbcTestConfig.h"
#include "PrivateMariaDb.h"
#include "ServerDataSources.h"

#include <iostream>

namespace {

constexpr int kLongView = 5000000; // far more than arrive before the fault
constexpr int kShortView = 20000;
constexpr qsizetype kLinesBeforeFault = 20000;

class ServerLoss : public testing::Test
{
protected:
    void TearDown() override
    {
        for (const auto& [session, statement] : cleanup) {
            session->Execute(statement);
        }
    }

    // Creates the numbers view on the server behind `dsn` and keeps its removal.
    void AddView(const QString& server, const QString& dsn, const QString& user,
                 const QString& password, int count)
    {
        auto session = std::make_shared<SideSession>(dsn, user, password);
        ASSERT_TRUE(session->IsOpen()) << session->Problem().toStdString();
        ASSERT_TRUE(session->Execute(CreateNumbersView(server, view, count)))
            << session->Problem().toStdString();
        if (server != u"SQLite"_qs) {
            cleanup.push_back({session, u"DROP VIEW "_qs + view});
        }
    }

    // Both groups that the fault must not touch hold exactly their rows.
    void ExpectComplete(const QMap<QString, QStringList>& groups, const QString& dsn)
    {
        EXPECT_EQ(WithoutTimeoutRefusal(groups.value(dsn)), NumberLines(kShortView))
            << dsn.toStdString() << ": " << groups.value(dsn).mid(0, 4).join(u' ').toStdString();
    }

    void ExpectAllAnswer(const QStringList& dsns)
    {
        ASSERT_TRUE(RunToEnd(document, u"SELECT 7 AS i"_qs));
        const QMap<QString, QStringList> groups = GroupsByTitle(document);
        for (const QString& dsn : dsns) {
            EXPECT_EQ(WithoutTimeoutRefusal(groups.value(dsn)),
                      (QStringList{u"4|i"_qs, u"3|7"_qs, u"1|End(No data found)"_qs}))
                << dsn.toStdString();
        }
    }

    const QString view = UniqueViewName("fault_loss");
    ServerDataSources servers;
    SqliteDataSource sqlite;
    CTessellaDoc document;
    RecordingResultsWindow window{document};
    std::vector<std::pair<std::shared_ptr<SideSession>, QString>> cleanup;
};

} // namespace

TEST_F(ServerLoss, PostgresBackendTerminatedWhileRowsStream)
{
    // Declare/fetch: psqlODBC hands rows over a thousand at a time instead of
    // reading the whole result first, so that the fault hits mid-fetch.
    if (!servers.AddPostgres(u"LossPg"_qs,
                             {{u"UseDeclareFetch"_qs, u"1"_qs}, {u"Fetch"_qs, u"1000"_qs}}) ||
        !servers.AddMariaDb(u"LossMaria"_qs)) {
        GTEST_SKIP() << servers.Problem().toStdString();
    }
    const QString pgUser = servers.PostgresUser(), pgPassword = servers.PostgresPassword();
    AddView(u"PostgreSQL"_qs, u"LossPg"_qs, pgUser, pgPassword, kLongView);
    AddView(u"MariaDB"_qs, u"LossMaria"_qs, servers.MariaDbUser(), servers.MariaDbPassword(),
            kShortView);
    AddView(u"SQLite"_qs, sqlite.Name(), {}, {}, kShortView);
    document.SetSettingsOverride(CRunSettings{});

    // The kept connection's backend, found through a first run on it alone.
    document.m_connections.append(Entry(u"LossPg"_qs, pgUser, pgPassword));
    ASSERT_TRUE(RunToEnd(document, u"SELECT pg_backend_pid() AS pid"_qs));
    const QString backend = GroupsByTitle(document).value(u"LossPg"_qs).value(1).mid(2);
    ASSERT_FALSE(backend.isEmpty()) << ResultLines(document).join(u'\n').toStdString();
    document.m_connections.append(Entry(sqlite.Name()));
    document.m_connections.append(
        Entry(u"LossMaria"_qs, servers.MariaDbUser(), servers.MariaDbPassword()));

    CStringTextSource sql(u"SELECT i FROM "_qs + view);
    document.StartRun(sql);
    ASSERT_TRUE(WaitForLines(window, u"LossPg"_qs, kLinesBeforeFault));
    SideSession killer(u"LossPg"_qs, pgUser, pgPassword);
    const QStringList terminated =
        killer.Column(u"SELECT CAST(pg_terminate_backend(%1) AS int)"_qs.arg(backend));
    ASSERT_EQ(terminated, QStringList{u"1"_qs}) << killer.Problem().toStdString();
    QElapsedTimer sinceFault;
    sinceFault.start();
    ASSERT_TRUE(WaitUntilIdle(document));
    const qint64 faultToIdle = sinceFault.elapsed();

    const QMap<QString, QStringList> groups = GroupsByTitle(document);
    const QStringList pg = groups.value(u"LossPg"_qs);
    const int rows = CheckCutShort(pg, u"LossPg"_qs);
    EXPECT_GE(rows, kLinesBeforeFault - 1);
    EXPECT_LT(rows, kLongView);
    // psqlODBC passes the server's farewell on as it is, then its own word on the link.
    EXPECT_TRUE(ErrorLines(pg).contains(u"57P01"_qs) || ErrorLines(pg).contains(u"08S01"_qs))
        << ErrorLines(pg).toStdString();
    std::cout << "[ figures ] PostgreSQL terminated after " << rows << " rows; idle " << faultToIdle
              << " ms later; diagnostics: " << ErrorLines(pg).toStdString() << std::endl;
    RecordProperty("rows_before_fault", rows);
    RecordProperty("fault_to_idle_ms", int(faultToIdle));
    ExpectComplete(groups, sqlite.Name());
    ExpectComplete(groups, u"LossMaria"_qs);
    EXPECT_TRUE(document.QueryThreads()[0].Failed());
    EXPECT_FALSE(document.QueryThreads()[1].Failed());
    EXPECT_FALSE(document.HasKeptConnection(u"LossPg"_qs)) << "the dead link is dropped";

    ExpectAllAnswer({u"LossPg"_qs, sqlite.Name(), u"LossMaria"_qs});
}

// MariaDB Connector/ODBC reads a whole result before it hands over the first
// row (its "don't cache" option made no difference here), so the stop cannot
// fall between two rows of one result: the rows come from a first statement,
// and the stop hits the second while the server works on it.
TEST_F(ServerLoss, MariaDbServerStoppedDuringTheRun)
{
    if (!servers.AddPostgres(u"LossPg"_qs)) {
        GTEST_SKIP() << servers.Problem().toStdString();
    }
    PrivateMariaDb mariadb;
    ASSERT_TRUE(mariadb.Start()) << mariadb.Problem().toStdString();
    mariadb.AddDataSource(u"LossOwnMaria"_qs);
    const QString slow = UniqueViewName("fault_slow");
    const QString pgUser = servers.PostgresUser(), pgPassword = servers.PostgresPassword();
    AddView(u"MariaDB"_qs, u"LossOwnMaria"_qs, {}, {}, kShortView);
    AddView(u"PostgreSQL"_qs, u"LossPg"_qs, pgUser, pgPassword, kShortView);
    AddView(u"SQLite"_qs, sqlite.Name(), {}, {}, kShortView);
    // Slow on the server that is stopped, instant on the others.
    SideSession own(u"LossOwnMaria"_qs, {}, {});
    ASSERT_TRUE(own.Execute(u"CREATE VIEW %1 AS SELECT SLEEP(120) AS i"_qs.arg(slow)))
        << own.Problem().toStdString();
    for (const QString& dsn : {u"LossPg"_qs, sqlite.Name()}) {
        SideSession side(dsn, dsn == sqlite.Name() ? QString() : pgUser,
                         dsn == sqlite.Name() ? QString() : pgPassword);
        ASSERT_TRUE(side.Execute(u"CREATE VIEW %1 AS SELECT 0 AS i"_qs.arg(slow)))
            << side.Problem().toStdString();
    }
    cleanup.clear(); // the private server goes with its folder
    auto pgSide = std::make_shared<SideSession>(u"LossPg"_qs, pgUser, pgPassword);
    cleanup.push_back({pgSide, u"DROP VIEW "_qs + view});
    cleanup.push_back({pgSide, u"DROP VIEW "_qs + slow});
    document.SetSettingsOverride(CRunSettings{});
    document.m_connections.append(Entry(u"LossOwnMaria"_qs));
    document.m_connections.append(Entry(sqlite.Name()));
    document.m_connections.append(Entry(u"LossPg"_qs, pgUser, pgPassword));

    CStringTextSource sql(u"SELECT i FROM %1 ;\nSELECT i FROM %2"_qs.arg(view, slow));
    document.StartRun(sql);
    // Most of the first statement's rows; the rest wait in the thread's
    // unposted batch while the second statement blocks.
    ASSERT_TRUE(WaitForLines(window, u"LossOwnMaria"_qs, kShortView - 100));
    QElapsedTimer sinceFault;
    sinceFault.start();
    ASSERT_TRUE(mariadb.Stop()) << mariadb.Problem().toStdString();
    const qint64 stopTook = sinceFault.elapsed();
    ASSERT_TRUE(WaitUntilIdle(document));
    const qint64 faultToIdle = sinceFault.elapsed();

    const QMap<QString, QStringList> groups = GroupsByTitle(document);
    const QStringList maria = WithoutTimeoutRefusal(groups.value(u"LossOwnMaria"_qs));
    ASSERT_GT(maria.size(), kShortView + 2);
    EXPECT_EQ(maria.mid(0, kShortView + 2), NumberLines(kShortView));
    const QStringList diagnostics = maria.mid(kShortView + 2);
    EXPECT_FALSE(diagnostics.isEmpty());
    for (const QString& line : diagnostics) {
        EXPECT_TRUE(line.startsWith(u"2|"_qs)) << line.toStdString();
    }
    std::cout << "[ figures ] MariaDB stopped after " << kShortView << " rows (shutdown took "
              << stopTook << " ms); idle " << faultToIdle
              << " ms after the stop began; diagnostics: " << ErrorLines(maria).toStdString()
              << std::endl;
    RecordProperty("fault_to_idle_ms", int(faultToIdle));
    for (const QString& dsn : {sqlite.Name(), u"LossPg"_qs}) {
        QStringList expected = NumberLines(kShortView);
        expected << u"4|i"_qs << u"3|0"_qs << u"1|End(No data found)"_qs;
        EXPECT_EQ(groups.value(dsn), expected) << dsn.toStdString();
    }
    EXPECT_TRUE(document.QueryThreads()[0].Failed());
    EXPECT_FALSE(document.HasKeptConnection(u"LossOwnMaria"_qs)) << "the dead link is dropped";

    // While it is down, a run tells so and the others answer.
    ASSERT_TRUE(RunToEnd(document, u"SELECT 7 AS i"_qs));
    const QMap<QString, QStringList> down = GroupsByTitle(document);
    EXPECT_TRUE(down.value(u"LossOwnMaria"_qs).value(0).startsWith(u"2|"_qs))
        << down.value(u"LossOwnMaria"_qs).join(u'\n').toStdString();
    EXPECT_TRUE(down.value(u"LossOwnMaria"_qs).filter(u"3|"_qs).isEmpty());
    EXPECT_EQ(down.value(sqlite.Name()).value(1), u"3|7"_qs);

    // Back on its port, it serves the next run without a manual reset.
    ASSERT_TRUE(mariadb.Start()) << mariadb.Problem().toStdString();
    ExpectAllAnswer({u"LossOwnMaria"_qs, sqlite.Name(), u"LossPg"_qs});
}
