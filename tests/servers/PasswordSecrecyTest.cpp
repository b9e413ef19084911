// A password travels to the server in the connect string. Whether the server takes it or not,
// it must come back in no result element, no error text and no output of tessella-run.

#include "../execution/RunHarness.h"
#include "OdbcTestConfig.h"
#include "ServerDataSources.h"
#include "odbc/CODBCObject.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct Server
{
    const char* label;
    bool (ServerDataSources::*add)(const QString& name, const ServerDataSources::Attributes& extra);
    QString (ServerDataSources::*user)() const;
    QString (ServerDataSources::*password)() const;
};

void PrintTo(const Server& server, std::ostream* out)
{
    *out << server.label;
}

const Server kServers[] = {
    {"Postgres", &ServerDataSources::AddPostgres, &ServerDataSources::PostgresUser,
     &ServerDataSources::PostgresPassword},
    {"MariaDb", &ServerDataSources::AddMariaDb, &ServerDataSources::MariaDbUser,
     &ServerDataSources::MariaDbPassword},
};

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome RunTool(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(TESSELLA_RUN_BINARY), args);
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

class PasswordSecrecy : public testing::TestWithParam<Server>
{
protected:
    void SetUp() override
    {
        if (!(m_servers.*GetParam().add)(m_name, {})) {
            GTEST_SKIP() << m_servers.Problem().toStdString();
        }
    }
    void TearDown() override { OdbcTestConfig::Instance().RemoveDataSource(m_name); }

    QString User() const { return (m_servers.*GetParam().user)(); }
    QString Right() const { return (m_servers.*GetParam().password)(); }
    // Braces and a semicolon, so that the password travels in its braced form too.
    QString Wrong() const { return QStringLiteral("Wr0ng;pa}ss-%1").arg(getpid()); }
    // For a login the same as its password, which the servers name when they refuse it. Without
    // separators: psqlODBC takes a braced login literally, braces and all.
    static QString Same() { return QStringLiteral("Wr0ngSame%1").arg(getpid()); }

    QString m_name = QStringLiteral("Secrecy%1").arg(GetParam().label);
    ServerDataSources m_servers;
};

// Fails naming the first line that holds the password.
testing::AssertionResult Clean(const QStringList& lines, const QString& password)
{
    for (const QString& line : lines) {
        if (line.contains(password)) {
            return testing::AssertionFailure() << "password shown in: " << line.toStdString();
        }
    }
    return testing::AssertionSuccess();
}

} // namespace

TEST_P(PasswordSecrecy, NoResultElementOfARunHoldsEitherPassword)
{
    CTessellaDoc document;
    RecordingResultsWindow window{document};
    document.SetSettingsOverride(CRunSettings{});
    document.m_connections.append(Entry(m_name, User(), Right()));
    document.m_connections.append(Entry(m_name, User(), Wrong()));
    document.m_connections.append(Entry(m_name, Same(), Same()));
    // A failing batch too: the errors of a working connection pass through the same texts.
    ASSERT_TRUE(RunToEnd(document, u"SELECT 1 AS one ;\nSELECT * FROM no_such_table_here"_qs));

    const QStringList lines = ResultLines(document);
    EXPECT_TRUE(lines.contains(u"3|1"_qs)) << lines.join(u'\n').toStdString();
    EXPECT_GE(lines.filter(u"2|"_qs).size(), 2) << "a connect error and a statement error";
    EXPECT_TRUE(document.QueryThreads()[1].Failed());
    EXPECT_TRUE(document.QueryThreads()[2].Failed());
    EXPECT_TRUE(Clean(lines, Right()));
    EXPECT_TRUE(Clean(lines, Wrong()));
    EXPECT_TRUE(Clean(lines, Same()));
}

TEST_P(PasswordSecrecy, ConnectErrorTextsHoldNoPassword)
{
    for (const QString& password : {Wrong(), Right() + u"x"_qs}) {
        CODBCObject db;
        QString error;
        ASSERT_FALSE(db.ConnectNoPrompt(m_name, User(), password, {}, 10, false, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(Clean({error}, password));
    }
    // A login the same as its password is common enough (a test or default account), and both
    // servers name the refused login: it is masked with the password.
    CODBCObject db;
    QString error;
    ASSERT_FALSE(db.ConnectNoPrompt(m_name, Same(), Same(), {}, 10, false, &error));
    EXPECT_TRUE(error.contains(u"****"_qs)) << error.toStdString();
    EXPECT_TRUE(Clean({error}, Same()));

    // A connect string of the caller's own, with the password under either key.
    for (const QString& key : {u"PWD"_qs, u"PASSWORD"_qs}) {
        CODBCObject db;
        QString error;
        const QString connectString = u"DSN=%1;UID=%2;%3={%4}"_qs.arg(
            m_name, User(), key, QString(Wrong()).replace(u"}"_qs, u"}}"_qs));
        EXPECT_FALSE(db.ConnectWithString(connectString, 10, false, &error));
        EXPECT_TRUE(Clean({error}, Wrong())) << key.toStdString();
    }
}

TEST_P(PasswordSecrecy, TessellaRunShowsNoPassword)
{
    QTemporaryDir dir;
    const QString sql = dir.filePath(u"q.sql"_qs);
    {
        QFile file(sql);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("SELECT 2 AS two ;\nSELECT * FROM no_such_table_here");
    }
    for (const QString& password : {Right(), Wrong()}) {
        const bool right = password == Right();
        Outcome outcome = RunTool({u"--progress"_qs, u"--dsn"_qs, m_name, u"--user"_qs, User(),
                                   u"--password"_qs, password, sql});
        EXPECT_EQ(outcome.exitCode, 1) << "a batch or the connect fails";
        EXPECT_EQ(outcome.out.contains(u"\n3\t2\n"_qs), right) << outcome.out.toStdString();
        EXPECT_TRUE(outcome.out.contains(u"\n2\t"_qs)) << outcome.out.toStdString();
        EXPECT_TRUE(Clean(outcome.out.split(u'\n'), password));
        EXPECT_TRUE(Clean(outcome.err.split(u'\n'), password));

        outcome =
            RunTool({u"--connect"_qs, m_name, u"--user"_qs, User(), u"--password"_qs, password});
        EXPECT_EQ(outcome.exitCode, right ? 0 : 1) << outcome.err.toStdString();
        EXPECT_EQ(outcome.err.isEmpty(), right) << outcome.err.toStdString();
        EXPECT_TRUE(Clean(outcome.out.split(u'\n'), password));
        EXPECT_TRUE(Clean(outcome.err.split(u'\n'), password));
    }
}

TEST_P(PasswordSecrecy, TessellaRunMasksALoginThatIsThePassword)
{
    const Outcome outcome =
        RunTool({u"--connect"_qs, m_name, u"--user"_qs, Same(), u"--password"_qs, Same()});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.err.contains(u"****"_qs)) << outcome.err.toStdString();
    EXPECT_TRUE(Clean(outcome.err.split(u'\n'), Same()));
    EXPECT_TRUE(outcome.out.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Servers, PasswordSecrecy, testing::ValuesIn(kServers),
                         [](const testing::TestParamInfo<Server>& info) {
                             return std::string(info.param.label);
                         });
