#include "OdbcTestConfig.h"
#include "ServerDataSources.h"
#include "odbc/CODBCObject.h"
#include "odbc/OdbcString.h"

#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

#include <string_view>

#include <unistd.h>

namespace {

struct Server
{
    const char* label;
    bool (ServerDataSources::*add)(const QString& name, const ServerDataSources::Attributes& extra);
    QString (ServerDataSources::*user)() const;
    QString (ServerDataSources::*password)() const;
    const char* dbmsName;
};

// Names the parameter in test names and failure messages.
void PrintTo(const Server& server, std::ostream* out)
{
    *out << server.label;
}

const Server kServers[] = {
    {"Postgres", &ServerDataSources::AddPostgres, &ServerDataSources::PostgresUser,
     &ServerDataSources::PostgresPassword, "PostgreSQL"},
    {"MariaDb", &ServerDataSources::AddMariaDb, &ServerDataSources::MariaDbUser,
     &ServerDataSources::MariaDbPassword, "MariaDB"},
};

struct Batch
{
    bool ok = false;
    QList<QStringList> results; // the first column of every row, one list per result set
    QString error;              // diagnostics when not ok
};

// Runs `sql` in one SQLExecDirect and reads every result set it yields.
Batch RunBatch(CODBCObject& db, const QString& sql)
{
    Batch batch;
    SQLRETURN rc = db.SqlExecDirect(sql);
    while (SQL_SUCCEEDED(rc)) {
        SQLSMALLINT columns = 0;
        db.SqlNumResultCols(&columns);
        if (columns > 0) {
            QStringList rows;
            while (SQL_SUCCEEDED(rc = db.SqlFetch())) {
                odbc::WideBuffer value(256);
                SQLLEN indicator = 0;
                rc = db.SqlGetData(1, SQL_C_WCHAR, value.data(),
                                   (value.chars() + 1) * sizeof(SQLWCHAR), &indicator);
                if (!SQL_SUCCEEDED(rc)) {
                    break;
                }
                rows << (indicator == SQL_NULL_DATA ? QStringLiteral("<null>") : value.text());
            }
            if (rc != SQL_NO_DATA) {
                break;
            }
            batch.results << rows;
        }
        rc = db.SqlMoreResults();
    }
    batch.ok = rc == SQL_NO_DATA;
    if (!batch.ok) {
        db.GetErrorText(batch.error);
    }
    db.SqlFreeStmt(SQL_CLOSE);
    return batch;
}

class ServerConnect : public testing::TestWithParam<Server>
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
    QString Password() const { return (m_servers.*GetParam().password)(); }

    testing::AssertionResult Connect(CODBCObject& db)
    {
        QString error;
        if (db.ConnectNoPrompt(m_name, User(), Password(), {}, 10, false, &error)) {
            return testing::AssertionSuccess();
        }
        return testing::AssertionFailure() << error.toStdString();
    }

    // Tests of one binary run in parallel processes against the same database.
    static QString UniqueTable() { return QStringLiteral("tessella_t%1").arg(getpid()); }

    ServerDataSources m_servers;
    QString m_name = QStringLiteral("TestServer%1").arg(GetParam().label);
};

TEST_P(ServerConnect, ConnectsAndNamesItsDbms)
{
    CODBCObject db;
    ASSERT_TRUE(Connect(db));
    EXPECT_TRUE(db.IsConnected());
    EXPECT_EQ(db.GetDbmsName(), QString::fromLatin1(GetParam().dbmsName));
    EXPECT_EQ(db.GetUserName(), User());

    const Batch who = RunBatch(db, QStringLiteral("SELECT current_user"));
    ASSERT_TRUE(who.ok) << who.error.toStdString();
    ASSERT_EQ(who.results.size(), 1);
    ASSERT_EQ(who.results[0].size(), 1);
    // MariaDB answers user@host.
    const QString& current = who.results[0][0];
    EXPECT_TRUE(current == User() || current.startsWith(User() + u'@')) << current.toStdString();

    EXPECT_TRUE(db.Disconnect());
    EXPECT_FALSE(db.IsConnected());
}

TEST_P(ServerConnect, WrongPasswordFailsWithSqlState)
{
    CODBCObject db;
    QString error;
    // The login given overrides the one in the data source.
    EXPECT_FALSE(
        db.ConnectNoPrompt(m_name, User(), Password() + u"-wrong"_qs, {}, 10, false, &error));
    EXPECT_FALSE(db.IsConnected());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-Z]{5} \\S")).match(error).hasMatch())
        << error.toStdString();
}

TEST_P(ServerConnect, OneCallRunsSeveralStatements)
{
    CODBCObject db;
    ASSERT_TRUE(Connect(db));
    const Batch batch = RunBatch(db, QStringLiteral("SELECT 1; SELECT 2"));
    ASSERT_TRUE(batch.ok) << batch.error.toStdString();
    EXPECT_EQ(batch.results, (QList<QStringList>{{u"1"_qs}, {u"2"_qs}}));
}

TEST_P(ServerConnect, StoresAndReturnsTextBeyondLatin1)
{
    CODBCObject db;
    ASSERT_TRUE(Connect(db));
    const QString table = UniqueTable();
    // Two-, three- and four-byte UTF-8; the last is a surrogate pair in UTF-16.
    const QString text = QStringLiteral("Grüße € \U0001F600");
    RunBatch(db, u"DROP TABLE IF EXISTS "_qs + table);
    const Batch created = RunBatch(db, u"CREATE TABLE "_qs + table + u" (t VARCHAR(40))"_qs);
    ASSERT_TRUE(created.ok) << created.error.toStdString();
    const Batch inserted =
        RunBatch(db, u"INSERT INTO "_qs + table + u" VALUES ('"_qs + text + u"')"_qs);
    const Batch selected = RunBatch(db, u"SELECT t FROM "_qs + table);
    RunBatch(db, u"DROP TABLE "_qs + table);
    ASSERT_TRUE(inserted.ok) << inserted.error.toStdString();
    ASSERT_TRUE(selected.ok) << selected.error.toStdString();
    EXPECT_EQ(selected.results, (QList<QStringList>{{text}}));
}

TEST_P(ServerConnect, LoginAndPasswordWithConnectStringSyntaxLogIn)
{
    // Each driver gets them its own safe way: braced where it reads braces, else as arguments.
    const QString user = m_servers.OddUser();
    const QString password = m_servers.OddPassword();
    ASSERT_FALSE(user.isEmpty())
        << "servers started by an older scripts/test-servers.sh: stop them";
    for (const QChar c : {u';', u'}', u'{', u'='}) {
        ASSERT_TRUE(user.contains(c) && password.contains(c)) << QString(c).toStdString();
    }
    CODBCObject db;
    QString error;
    ASSERT_TRUE(db.ConnectNoPrompt(m_name, user, password, {}, 10, false, &error))
        << error.toStdString();
    EXPECT_EQ(db.GetUserName(), user);
    const Batch who = RunBatch(db, QStringLiteral("SELECT current_user"));
    ASSERT_TRUE(who.ok) << who.error.toStdString();
    EXPECT_EQ(who.results, (QList<QStringList>{{GetParam().dbmsName == std::string_view("MariaDB")
                                                    ? user + u"@127.0.0.1"_qs
                                                    : user}}));
    if (GetParam().dbmsName == std::string_view("MariaDB")) {
        // Braced in the string, so that the handshake keeps its time-out.
        EXPECT_TRUE(db.GetConnectString().contains(u"CONN_TIMEOUT=10"_qs))
            << db.GetConnectString().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Db, ServerConnect, testing::ValuesIn(kServers));

} // namespace
