// Connections that cannot be made: a refused port, a server that never
// answers, a wrong password. The entry's group shows the driver's error lines
// within about its time-out, and the other connections are not held up.

#include "ClosedPort.h"
#include "FaultHarness.h"
#include "OdbcTestConfig.h"
#include "ServerDataSources.h"
#include "SilentServer.h"

#include <iostream>

namespace {

constexpr int kTimeOutSeconds = 3;

enum class Fault
{
    Refused,
    Silent,
    WrongPassword
};

struct Case
{
    const char* label;
    bool postgres;
    Fault fault;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.label;
}

const Case kCases[] = {
    {"PostgresRefused", true, Fault::Refused},
    {"MariaDbRefused", false, Fault::Refused},
    {"PostgresSilent", true, Fault::Silent},
    {"MariaDbSilent", false, Fault::Silent},
    {"PostgresWrongPassword", true, Fault::WrongPassword},
};

class ConnectFailure : public testing::TestWithParam<Case>
{
protected:
    void SetUp() override
    {
        const Case& c = GetParam();
        // A name of its own per case: the driver manager caches a data source
        // file read within the same second, so a redefined name may go unseen.
        bad = u"FailBad"_qs + QLatin1String(c.label);
        if (!servers.AddPostgres(u"FailGood"_qs)) {
            GTEST_SKIP() << servers.Problem().toStdString();
        }
        ASSERT_NE(closed.Port(), 0);
        ASSERT_NE(silent.Port(), 0);
        const int port = c.fault == Fault::Refused  ? closed.Port()
                         : c.fault == Fault::Silent ? silent.Port()
                                                    : 0;
        ServerDataSources::Attributes where;
        if (port != 0) {
            where.insert(c.postgres ? u"Port"_qs : u"PORT"_qs, QString::number(port));
        }
        if (c.postgres) {
            servers.AddPostgres(bad, where);
        } else {
            servers.AddMariaDb(bad, where);
        }
        CConnectionData entry =
            Entry(bad, c.postgres ? servers.PostgresUser() : servers.MariaDbUser());
        entry.m_password = c.fault == Fault::WrongPassword ? u"not the password"_qs
                           : c.postgres                    ? servers.PostgresPassword()
                                                           : servers.MariaDbPassword();
        entry.m_timeOut = kTimeOutSeconds;
        document.SetSettingsOverride(CRunSettings{});
        document.m_connections.append(Entry(sqlite.Name()));
        document.m_connections.append(entry);
        document.m_connections.append(
            Entry(u"FailGood"_qs, servers.PostgresUser(), servers.PostgresPassword()));
    }

    ServerDataSources servers;
    QString bad;
    SqliteDataSource sqlite;
    ClosedPort closed;
    SilentServer silent;
    CTessellaDoc document;
    RecordingResultsWindow window{document};
};

} // namespace

TEST_P(ConnectFailure, ErrorLinesWithinTheTimeOutAndTheOthersComplete)
{
    QElapsedTimer clock;
    clock.start();
    CStringTextSource sql(u"SELECT 42 AS answer"_qs);
    document.StartRun(sql);
    // The failing connection's few lines are posted together when its thread ends.
    ASSERT_TRUE(WaitForLines(window, bad, 1, 60000));
    const qint64 elapsed = clock.elapsed();
    ASSERT_TRUE(WaitUntilIdle(document));
    const qint64 runTook = clock.elapsed();

    const QMap<QString, QStringList> groups = GroupsByTitle(document);
    const QStringList lines = groups.value(bad);
    std::cout << "[ figures ] " << GetParam().label << ": error after " << elapsed << " ms, run "
              << runTook << " ms (time-out " << kTimeOutSeconds
              << " s): " << lines.join(u" // "_qs).toStdString() << std::endl;
    RecordProperty("error_after_ms", int(elapsed));
    ASSERT_FALSE(lines.isEmpty());
    for (const QString& line : lines) {
        EXPECT_TRUE(line.startsWith(u"2|"_qs)) << line.toStdString();
    }
    EXPECT_FALSE(lines.join(u'\n').contains(u"not the password"_qs));
    EXPECT_TRUE(document.QueryThreads()[1].Failed());
    // A slack of a few seconds for a loaded machine; without the time-out a
    // silent server holds the run for minutes.
    EXPECT_LT(elapsed, (kTimeOutSeconds + 7) * 1000);
    if (GetParam().fault == Fault::Silent) {
        EXPECT_GE(elapsed, kTimeOutSeconds * 1000 - 500) << "gave up before the time-out";
    }
    const QStringList answer{u"4|answer"_qs, u"3|42"_qs, u"1|End(No data found)"_qs};
    EXPECT_EQ(groups.value(sqlite.Name()), answer);
    EXPECT_EQ(groups.value(u"FailGood"_qs), answer);
    EXPECT_FALSE(document.QueryThreads()[0].Failed());
    EXPECT_FALSE(document.QueryThreads()[2].Failed());
}

INSTANTIATE_TEST_SUITE_P(Faults, ConnectFailure, testing::ValuesIn(kCases));
