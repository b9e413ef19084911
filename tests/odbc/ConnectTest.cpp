#include "OdbcTestConfig.h"
#include "odbc/CODBCObject.h"
#include "odbc/ConnectString.h"
#include "odbc/DriverTraits.h"
#include "odbc/SystemUser.h"

#include <gtest/gtest.h>

namespace {

// Counts the calls that tear a connection down.
class CountingObject : public CODBCObject
{
public:
    SQLRETURN SqlDisconnect() override
    {
        ++disconnects;
        return CODBCObject::SqlDisconnect();
    }
    SQLRETURN SqlFreeConnect() override
    {
        ++connectionFrees;
        return CODBCObject::SqlFreeConnect();
    }
    SQLRETURN SqlFreeStmt(SQLUSMALLINT option) override
    {
        ++statementCalls;
        return CODBCObject::SqlFreeStmt(option);
    }
    SQLRETURN SqlCancel() override
    {
        ++statementCalls;
        return CODBCObject::SqlCancel();
    }
    SQLRETURN SqlError(SQLWCHAR* state, SQLINTEGER* native, SQLWCHAR* message, SQLSMALLINT max,
                       SQLSMALLINT* length) override
    {
        ++diagnosticReads;
        return CODBCObject::SqlError(state, native, message, max, length);
    }

    int disconnects = 0;
    int connectionFrees = 0;
    int statementCalls = 0;
    int diagnosticReads = 0;
};

} // namespace

TEST(Connect, SqliteDataSourceConnectsAndDisconnects)
{
    SqliteDataSource source;
    CODBCObject object;
    QString error;
    ASSERT_TRUE(object.ConnectNoPrompt(source.Name(), u"anna"_qs, u"pw"_qs, {}, 5, false, &error))
        << error.toStdString();
    EXPECT_TRUE(object.IsConnected());
    EXPECT_NE(object.GetHstmt(), nullptr) << "a connect prepares the statement";
    EXPECT_EQ(object.GetDbmsName(), u"SQLite"_qs);
    EXPECT_EQ(object.GetUserName(), u"anna"_qs);
    EXPECT_EQ(object.GetDataSourceField(), source.Name());
    EXPECT_FALSE(object.GetConnectString().isEmpty());
    EXPECT_TRUE(object.GetDriverName().contains(u"sqlite"_qs, Qt::CaseInsensitive));

    EXPECT_TRUE(object.Disconnect());
    EXPECT_FALSE(object.IsConnected());
    EXPECT_EQ(object.GetHstmt(), nullptr);
}

TEST(Connect, EmptyLoginTakesTheUserFromTheDriverOrTheSystem)
{
    SqliteDataSource source;
    CODBCObject object;
    ASSERT_TRUE(object.ConnectNoPrompt(source.Name(), QString(), QString()));
    const QString returned = odbc::ConnectValue(object.GetConnectString(), u"UID"_qs);
    const QString expected = returned.isEmpty() ? odbc::LoggedOnUserName() : returned;
    EXPECT_FALSE(expected.isEmpty());
    EXPECT_EQ(object.GetUserName(), expected);
}

TEST(Connect, SecondConnectDropsTheFirstConnection)
{
    SqliteDataSource source;
    CountingObject object;
    ASSERT_TRUE(object.ConnectNoPrompt(source.Name(), u"a"_qs, QString()));
    EXPECT_EQ(object.disconnects, 0);
    ASSERT_TRUE(object.ConnectNoPrompt(source.Name(), u"b"_qs, QString()));
    EXPECT_EQ(object.disconnects, 1);
    EXPECT_EQ(object.GetUserName(), u"b"_qs);
    EXPECT_TRUE(object.IsConnected());
}

TEST(Connect, PasswordWithSeparatorsStillConnects)
{
    // The driver manager must read the braced value as one attribute.
    SqliteDataSource source;
    CODBCObject object;
    QString error;
    EXPECT_TRUE(object.ConnectNoPrompt(source.Name(), u"u;x"_qs, u"p;DSN=nowhere}"_qs, {}, 5, false,
                                       &error))
        << error.toStdString();
}

TEST(Connect, UnknownDataSourceReportsAndLeavesNoHandle)
{
    CODBCObject object;
    QString error;
    EXPECT_FALSE(
        object.ConnectNoPrompt(u"NoSuchSource"_qs, QString(), QString(), {}, 5, false, &error));
    EXPECT_TRUE(error.startsWith(u"IM002 "_qs)) << error.toStdString();
    EXPECT_TRUE(error.contains(u"Data source name not found"_qs)) << error.toStdString();
    EXPECT_FALSE(object.IsConnected());
    EXPECT_EQ(object.GetStatus(), StatusError);
}

TEST(Connect, DriverFailureGivesItsDiagnostics)
{
    OdbcTestConfig::Instance().SetDataSource(
        u"BrokenSqlite"_qs,
        {{u"Driver"_qs, u"SQLite3"_qs}, {u"Database"_qs, u"/nonexistent-folder/sub/x.db"_qs}});
    CODBCObject object;
    QString error;
    EXPECT_FALSE(
        object.ConnectNoPrompt(u"BrokenSqlite"_qs, QString(), QString(), {}, 5, false, &error));
    EXPECT_FALSE(object.IsConnected());
    ASSERT_GE(error.size(), 6);
    EXPECT_EQ(error[5], u' ') << "lines start with a five-character SQLSTATE: "
                              << error.toStdString();
    OdbcTestConfig::Instance().RemoveDataSource(u"BrokenSqlite"_qs);
}

TEST(Connect, ErrorsWithoutOutputAreReadAndDropped)
{
    CountingObject object;
    EXPECT_FALSE(object.ConnectNoPrompt(u"NoSuchSource"_qs, QString(), QString()));
    EXPECT_GE(object.diagnosticReads, 1);
    QString left;
    EXPECT_FALSE(object.GetErrorText(left)) << "nothing is left to read";
}

TEST(Connect, DisconnectWithoutConnectionCallsNothing)
{
    CountingObject object;
    EXPECT_TRUE(object.Disconnect());
    EXPECT_EQ(object.disconnects + object.connectionFrees + object.statementCalls, 0);
}

TEST(Connect, ClonesShareTheConnectionUntilTheLastOneLeaves)
{
    SqliteDataSource source;
    CountingObject first;
    ASSERT_TRUE(first.ConnectNoPrompt(source.Name(), u"u"_qs, QString()));
    CountingObject second;
    ASSERT_TRUE(second.Clone(first));
    EXPECT_EQ(second.GetHdbc(), first.GetHdbc());
    EXPECT_NE(second.GetHstmt(), first.GetHstmt()) << "each object has its own statement";

    EXPECT_TRUE(first.Disconnect());
    EXPECT_EQ(first.disconnects, 0) << "the clone still uses the connection";
    EXPECT_TRUE(second.IsConnected());
    EXPECT_TRUE(second.Disconnect());
    EXPECT_EQ(second.disconnects, 1);
}

TEST(Connect, SqlServerDriversGetTheApplicationName)
{
    auto& config = OdbcTestConfig::Instance();
    config.SetDataSource(u"FakeServer"_qs, {{u"Driver"_qs, u"/opt/ms/SqlSrv32.DLL"_qs}});
    SqliteDataSource other;

    CODBCObject object;
    ASSERT_TRUE(object.AllocEnvironment());
    QString serverString = u"DSN=FakeServer"_qs;
    EXPECT_TRUE(object.ApplyDriverOptions(odbc::DriverTraits::ForDataSource(u"FakeServer"_qs),
                                          serverString));
    EXPECT_EQ(serverString, u"DSN=FakeServer;APP=Tessella"_qs);

    QString otherString = u"DSN=x"_qs;
    EXPECT_TRUE(
        object.ApplyDriverOptions(odbc::DriverTraits::ForDataSource(other.Name()), otherString));
    EXPECT_EQ(otherString, u"DSN=x"_qs);
    config.RemoveDataSource(u"FakeServer"_qs);
}

TEST(Connect, MariaDbDriversGetTheLoginTimeOutAsTheirOwnKey)
{
    // By the driver's name or its library: a silent server would otherwise
    // hold the connect past the entry's time-out.
    auto& config = OdbcTestConfig::Instance();
    config.SetDataSource(u"FakeMariaByName"_qs, {{u"Driver"_qs, u"MariaDB Unicode"_qs}});
    config.SetDataSource(u"FakeMariaByPath"_qs, {{u"Driver"_qs, u"/usr/lib/odbc/libmaodbc.so"_qs}});
    SqliteDataSource other;

    CODBCObject object;
    ASSERT_TRUE(object.AllocEnvironment());
    for (const QString& dsn : {u"FakeMariaByName"_qs, u"FakeMariaByPath"_qs}) {
        QString connectString = u"DSN=x"_qs;
        EXPECT_TRUE(
            object.ApplyDriverOptions(odbc::DriverTraits::ForDataSource(dsn), connectString));
        EXPECT_EQ(connectString, u"DSN=x"_qs) << "no time-out asked for yet";
    }
    // Connects that fail still record their time-out, as a real one would.
    object.ConnectNoPrompt(u"NoSuchSource"_qs, {}, {}, {}, 7);
    for (const QString& dsn : {u"FakeMariaByName"_qs, u"FakeMariaByPath"_qs}) {
        QString connectString = u"DSN=x"_qs;
        EXPECT_TRUE(
            object.ApplyDriverOptions(odbc::DriverTraits::ForDataSource(dsn), connectString));
        EXPECT_EQ(connectString, u"DSN=x;CONN_TIMEOUT=7"_qs) << dsn.toStdString();
    }
    QString otherString = u"DSN=x"_qs;
    EXPECT_TRUE(
        object.ApplyDriverOptions(odbc::DriverTraits::ForDataSource(other.Name()), otherString));
    EXPECT_EQ(otherString, u"DSN=x"_qs);
    config.RemoveDataSource(u"FakeMariaByName"_qs);
    config.RemoveDataSource(u"FakeMariaByPath"_qs);
}

TEST(Connect, DataSourcesOfThePrivateConfigurationAreListed)
{
    SqliteDataSource a;
    SqliteDataSource b;
    CODBCObject object;
    QStringList names;
    QString name;
    QString description;
    for (SQLUSMALLINT direction = SQL_FETCH_FIRST;
         object.GetDataSource(direction, name, &description); direction = SQL_FETCH_NEXT) {
        names << name;
    }
    EXPECT_TRUE(names.contains(a.Name())) << names.join(u',').toStdString();
    EXPECT_TRUE(names.contains(b.Name()));
}
