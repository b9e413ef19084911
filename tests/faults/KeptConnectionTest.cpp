// A kept connection whose server session was killed between two runs: the run
// after shows the driver's diagnostics, the connection is dropped, and the run
// after that connects afresh without a manual reset.

#include "FaultHarness.h"
#include "OdbcTestConfig.h"
#include "ServerDataSources.h"

#include <iostream>

namespace {

struct Victim
{
    const char* label;
    const char* sessionIdQuery;
    const char* killStatement; // %1: the session id
};

void PrintTo(const Victim& victim, std::ostream* out)
{
    *out << victim.label;
}

const Victim kVictims[] = {
    {"PostgreSQL", "SELECT pg_backend_pid() AS i", "SELECT CAST(pg_terminate_backend(%1) AS int)"},
    {"MariaDB", "SELECT CONNECTION_ID() AS i", "KILL CONNECTION %1"},
};

class KeptConnectionKilled : public testing::TestWithParam<Victim>
{
protected:
    void SetUp() override
    {
        const bool postgres = QLatin1String(GetParam().label) == u"PostgreSQL"_qs;
        // A name per driver: the driver manager caches a data source file
        // read within the same second, so a redefined name may go unseen.
        victim = u"KeptVictim"_qs + QLatin1String(GetParam().label);
        const bool added = postgres ? servers.AddPostgres(victim) : servers.AddMariaDb(victim);
        if (!added) {
            GTEST_SKIP() << servers.Problem().toStdString();
        }
        user = postgres ? servers.PostgresUser() : servers.MariaDbUser();
        password = postgres ? servers.PostgresPassword() : servers.MariaDbPassword();
        document.SetSettingsOverride(CRunSettings{});
        document.m_connections.append(Entry(victim, user, password));
    }

    QStringList VictimLines() const
    {
        return WithoutTimeoutRefusal(GroupsByTitle(document).value(victim));
    }

    ServerDataSources servers;
    SqliteDataSource sqlite;
    QString victim;
    QString user;
    QString password;
    CTessellaDoc document;
    RecordingResultsWindow window{document};
};

} // namespace

TEST_P(KeptConnectionKilled, TheRunAfterTheFailureConnectsAfresh)
{
    ASSERT_TRUE(RunToEnd(document, QString::fromLatin1(GetParam().sessionIdQuery)));
    const QString session = VictimLines().value(1).mid(2);
    ASSERT_FALSE(session.isEmpty()) << VictimLines().join(u'\n').toStdString();
    ASSERT_TRUE(document.IsDataSourceConnected(victim, true));
    document.m_connections.append(Entry(sqlite.Name()));

    SideSession killer(victim, user, password);
    ASSERT_TRUE(killer.IsOpen()) << killer.Problem().toStdString();
    ASSERT_TRUE(killer.Execute(QString::fromLatin1(GetParam().killStatement).arg(session)))
        << killer.Problem().toStdString();

    // Two batches: the one that meets the dead link, and one left unrun.
    ASSERT_TRUE(RunToEnd(document, u"SELECT 7 AS i ;\nSELECT 8 AS i"_qs));
    const QStringList failed = VictimLines();
    std::cout << "[ figures ] " << GetParam().label
              << " kept connection after its session was killed: "
              << failed.join(u" // "_qs).toStdString() << std::endl;
    ASSERT_FALSE(failed.isEmpty());
    EXPECT_TRUE(failed.filter(u"3|"_qs).isEmpty()) << failed.join(u'\n').toStdString();
    EXPECT_EQ(failed.last(), u"2|Connection lost: the remaining 1 batch(es) were not run"_qs);
    EXPECT_TRUE(document.QueryThreads()[0].Failed());
    EXPECT_FALSE(document.IsDataSourceConnected(victim, true));
    EXPECT_EQ(GroupsByTitle(document).value(sqlite.Name()),
              (QStringList{u"4|i"_qs, u"3|7"_qs, u"1|End(No data found)"_qs, u"4|i"_qs, u"3|8"_qs,
                           u"1|End(No data found)"_qs}));

    ASSERT_TRUE(RunToEnd(document, u"SELECT 9 AS i"_qs));
    EXPECT_EQ(VictimLines(), (QStringList{u"4|i"_qs, u"3|9"_qs, u"1|End(No data found)"_qs}));
    EXPECT_FALSE(document.QueryThreads()[0].Failed());
    EXPECT_TRUE(document.IsDataSourceConnected(victim, true)) << "kept again";
}

// An error of the statement alone keeps the connection: no needless reconnect.
TEST_P(KeptConnectionKilled, AnOrdinaryErrorKeepsTheConnection)
{
    ASSERT_TRUE(RunToEnd(document, QString::fromLatin1(GetParam().sessionIdQuery)));
    const QString session = VictimLines().value(1);
    ASSERT_TRUE(RunToEnd(document, u"SELECT no_such_column FROM no_such_table"_qs));
    EXPECT_TRUE(VictimLines().value(0).startsWith(u"2|"_qs));
    EXPECT_TRUE(document.IsDataSourceConnected(victim, true));
    ASSERT_TRUE(RunToEnd(document, QString::fromLatin1(GetParam().sessionIdQuery)));
    EXPECT_EQ(VictimLines().value(1), session) << "the same server session";
}

INSTANTIATE_TEST_SUITE_P(Drivers, KeptConnectionKilled, testing::ValuesIn(kVictims));
