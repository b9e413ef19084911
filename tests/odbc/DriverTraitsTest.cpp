// Which quirks each driver gets: a quirk missed costs wrong text, a crash or a stop that never
// comes; one given to the wrong driver breaks what worked.

#include "odbc/DriverTraits.h"
#include "OdbcTestConfig.h"
#include "odbc/CODBCObject.h"

#include <gtest/gtest.h>

#include <utility>

using odbc::DriverTraits;

namespace {

DriverTraits Connected(const QString& driverName, const QString& dbmsName = {})
{
    DriverTraits traits;
    traits.LearnConnectedDriver(driverName, dbmsName);
    return traits;
}

DriverTraits OfDriverEntry(const QString& driver, const QString& option = {})
{
    return DriverTraits::ForConfiguration({driver, {}, option});
}

// Which of the three values the braces let through where they hold a semicolon.
QString BracedValues(const odbc::DriverBraces& braces)
{
    const QString odd = u"a;b"_qs;
    QString which;
    which += braces.ConnectString(u"DSN"_qs, odd, u"u"_qs, u"p"_qs) ? u"D" : u"-";
    which += braces.ConnectString(u"DSN"_qs, u"d"_qs, odd, u"p"_qs) ? u"U" : u"-";
    which += braces.ConnectString(u"DSN"_qs, u"d"_qs, u"u"_qs, odd) ? u"P" : u"-";
    return which;
}

// A name of its own for every data source: the installer may answer what it read before from a
// file changed within the same second.
QString UniqueName(const QString& prefix)
{
    static int count = 0;
    return prefix + QString::number(++count);
}

} // namespace

TEST(DriverTraits, OnlyDriversKnownToGiveUtf8TextGetIt)
{
    EXPECT_TRUE(Connected(u"psqlodbcw.so"_qs).utf8Text);
    EXPECT_TRUE(Connected(u"libsqlite3odbc.so"_qs).utf8Text);
    EXPECT_TRUE(Connected(u"libmaodbc.so"_qs).utf8Text);
    EXPECT_FALSE(Connected(u"libsomeotherodbc.so"_qs).utf8Text);
    EXPECT_FALSE(Connected(QString()).utf8Text);
}

TEST(DriverTraits, EachConnectedDriverGetsItsOwnQuirksAndNoOneElses)
{
    // The quirks as a string, one letter each: full wide elements, UTF-8 statements, semicolons
    // in comments, spare statement for a cancel, SQL Server's statement options, backslashes, no
    // cancel of a fetch.
    const auto quirks = [](const DriverTraits& t) {
        QString letters;
        for (const auto& [on, letter] :
             {std::pair{t.fullWideElements, u'F'}, std::pair{t.utf8Statements, u'U'},
              std::pair{t.commentSemicolonsEndStatements, u'C'},
              std::pair{t.cancelsSpareStatement, u'S'}, std::pair{t.sqlServerStatements, u'M'},
              std::pair{t.backslashesAreData, u'B'}, std::pair{t.cancelClosesFetch, u'K'}}) {
            letters += on ? letter : u'-';
        }
        return letters;
    };
    EXPECT_EQ(quirks(Connected(u"libsqlite3odbc.so"_qs, u"SQLite"_qs)), u"-UCS---"_qs);
    EXPECT_EQ(quirks(Connected(u"psqlodbcw.so"_qs, u"PostgreSQL"_qs)), u"-------"_qs);
    EXPECT_EQ(quirks(Connected(u"LIBMAODBC.SO"_qs, u"MariaDB"_qs)), u"F-----K"_qs);
    EXPECT_EQ(quirks(Connected(u"libmsodbcsql-18.so"_qs, u"Microsoft SQL Server"_qs)),
              u"----M--"_qs);
    EXPECT_EQ(quirks(Connected(u"libmyodbc8w.so"_qs, u"MySQL"_qs)), u"-----B-"_qs);
    EXPECT_EQ(quirks(Connected(u"libsomeotherodbc.so"_qs, u"Other"_qs)), u"-------"_qs);
}

TEST(DriverTraits, ConnectOptionsFollowTheDataSourcesDriverEntry)
{
    // By the driver's name or its library's path, in any case.
    for (const QString& maria :
         {u"MariaDB Unicode"_qs, u"/usr/lib/odbc/libmaodbc.so"_qs, u"MARIADB"_qs}) {
        const DriverTraits traits = OfDriverEntry(maria);
        EXPECT_TRUE(traits.handshakeTimeoutKey) << maria.toStdString();
        EXPECT_TRUE(traits.countEndsBatch) << maria.toStdString();
        EXPECT_FALSE(traits.sqlServerLogin) << maria.toStdString();
    }
    const DriverTraits sqlServer = OfDriverEntry(u"/opt/ms/SqlSrv32.DLL"_qs);
    EXPECT_TRUE(sqlServer.sqlServerLogin);
    EXPECT_FALSE(sqlServer.handshakeTimeoutKey || sqlServer.countEndsBatch);

    for (const QString& other : {u"PostgreSQL Unicode"_qs, u"SQLite3"_qs, QString()}) {
        const DriverTraits traits = OfDriverEntry(other);
        EXPECT_FALSE(traits.sqlServerLogin || traits.handshakeTimeoutKey || traits.countEndsBatch)
            << other.toStdString();
    }
}

TEST(DriverTraits, MariaDbsMultiStatementOptionLetsABatchGoOnAfterARowCount)
{
    // Bit 26, alone or among others, written in decimal or hex, with blanks around it.
    for (const QString& option : {u"67108864"_qs, u"67108867"_qs, u" 0x4000000 "_qs}) {
        EXPECT_FALSE(OfDriverEntry(u"MariaDB Unicode"_qs, option).countEndsBatch)
            << option.toStdString();
    }
    for (const QString& option : {u"3"_qs, u"0x2000000"_qs, u""_qs, u"many"_qs}) {
        EXPECT_TRUE(OfDriverEntry(u"MariaDB Unicode"_qs, option).countEndsBatch)
            << option.toStdString();
    }
}

TEST(DriverTraits, BracesFollowTheLibraryTheDriverManagerLoads)
{
    EXPECT_EQ(BracedValues(DriverTraits::ForConfiguration(
                               {{}, u"/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so"_qs, {}})
                               .braces),
              u"DUP"_qs);
    EXPECT_EQ(BracedValues(DriverTraits::ForConfiguration({{}, u"/x/PSQLODBCW.SO"_qs, {}}).braces),
              u"--P"_qs);
    EXPECT_EQ(
        BracedValues(DriverTraits::ForConfiguration({{}, u"libsqlite3odbc.so"_qs, {}}).braces),
        u"---"_qs);
    // A name alone says nothing of how the library reads a string.
    EXPECT_EQ(BracedValues(OfDriverEntry(u"MariaDB Unicode"_qs).braces), u"---"_qs);
}

TEST(DriverTraits, TheConfigurationIsReadThroughTheDriversEntry)
{
    auto& config = OdbcTestConfig::Instance();
    const QString byName = UniqueName(u"TraitsByName"_qs);
    const QString byPath = UniqueName(u"TraitsByPath"_qs);
    config.SetDataSources({{byName, {{u"Driver"_qs, u"MariaDB Unicode"_qs}}},
                           {byPath,
                            {{u"Driver"_qs, OdbcTestConfig::DriverPath(u"libmaodbc.so"_qs)},
                             {u"OPTION"_qs, u"67108864"_qs}}}});
    const DriverTraits named = DriverTraits::ForDataSource(byName);
    EXPECT_EQ(BracedValues(named.braces), u"DUP"_qs) << "the named driver's library";
    EXPECT_TRUE(named.countEndsBatch);
    const DriverTraits pathed = DriverTraits::ForDataSource(byPath);
    EXPECT_EQ(BracedValues(pathed.braces), u"DUP"_qs);
    EXPECT_FALSE(pathed.countEndsBatch) << "its OPTION entry";
    EXPECT_FALSE(DriverTraits::ForDataSource(UniqueName(u"TraitsMissing"_qs)).countEndsBatch);
    config.RemoveDataSources({byName, byPath});
}

TEST(DriverTraits, AConnectionLearnsItsDriverAndAnotherConnectForgetsIt)
{
    DriverTraits traits = OfDriverEntry(u"MariaDB Unicode"_qs);
    traits.LearnConnectedDriver(u"libmaodbc.so"_qs, u"MariaDB"_qs);
    EXPECT_TRUE(traits.countEndsBatch) << "what the configuration said stays";
    EXPECT_TRUE(traits.fullWideElements);
    traits.LearnConnectedDriver(u"libsqlite3odbc.so"_qs, u"SQLite"_qs);
    EXPECT_FALSE(traits.fullWideElements) << "another driver's quirk is gone";

    SqliteDataSource source;
    CODBCObject object;
    ASSERT_TRUE(object.ConnectNoPrompt(source.Name(), QString(), QString()));
    EXPECT_TRUE(object.Traits().utf8Statements && object.Traits().cancelsSpareStatement);
    CODBCObject clone;
    ASSERT_TRUE(clone.Clone(object));
    EXPECT_TRUE(clone.Traits().utf8Statements && clone.Traits().cancelsSpareStatement)
        << "a clone shares the driver";
}

TEST(DriverTraits, TheFirstRowsOptionsAreAskedForOnlyWhereTheDataSourceIsSilent)
{
    using Configuration = DriverTraits::Configuration;
    const auto keys = [](const Configuration& configuration) {
        return DriverTraits::ForConfiguration(configuration).firstRowsKeys;
    };
    // By the driver's name or by the library the driver manager loads.
    EXPECT_EQ(keys({.driver = u"SQLite3"_qs}), u";StepAPI=1"_qs);
    EXPECT_EQ(keys({.library = u"/usr/lib/odbc/libsqlite3odbc.so"_qs}), u";StepAPI=1"_qs);
    EXPECT_EQ(keys({.driver = u"SQLite3"_qs, .stepApi = u"0"_qs}), QString());
    const QString both = u";UseDeclareFetch=1;Fetch=10000"_qs;
    EXPECT_EQ(keys({.driver = u"PostgreSQL Unicode"_qs}), both);
    EXPECT_EQ(keys({.library = u"/usr/lib/odbc/psqlodbcw.so"_qs}), both);
    EXPECT_EQ(keys({.driver = u"PostgreSQL ANSI"_qs, .useDeclareFetch = u"0"_qs}),
              u";Fetch=10000"_qs)
        << "a block size is harmless without the cursor";
    EXPECT_EQ(keys({.driver = u"PostgreSQL Unicode"_qs, .fetch = u"500"_qs}),
              u";UseDeclareFetch=1"_qs);
    for (const QString& other : {u"MariaDB Unicode"_qs, u"/opt/ms/SqlSrv32.DLL"_qs, QString()}) {
        EXPECT_EQ(keys({.driver = other}), QString()) << other.toStdString();
    }

    // Read from the data source under the long names and psqlODBC's short ones.
    auto& config = OdbcTestConfig::Instance();
    const QString silent = UniqueName(u"TraitsSilentPg"_qs);
    const QString longNames = UniqueName(u"TraitsLongPg"_qs);
    const QString shortNames = UniqueName(u"TraitsShortPg"_qs);
    const QString sqlite = UniqueName(u"TraitsSqlite"_qs);
    config.SetDataSources(
        {{silent, {{u"Driver"_qs, u"PostgreSQL Unicode"_qs}}},
         {longNames,
          {{u"Driver"_qs, u"PostgreSQL Unicode"_qs},
           {u"UseDeclareFetch"_qs, u"0"_qs},
           {u"Fetch"_qs, u"100"_qs}}},
         {shortNames,
          {{u"Driver"_qs, u"PostgreSQL Unicode"_qs}, {u"B6"_qs, u"0"_qs}, {u"A7"_qs, u"9"_qs}}},
         {sqlite, {{u"Driver"_qs, u"SQLite3"_qs}, {u"StepAPI"_qs, u"0"_qs}}}});
    EXPECT_EQ(DriverTraits::ForDataSource(silent).firstRowsKeys, both);
    EXPECT_EQ(DriverTraits::ForDataSource(longNames).firstRowsKeys, QString());
    EXPECT_EQ(DriverTraits::ForDataSource(shortNames).firstRowsKeys, QString());
    EXPECT_EQ(DriverTraits::ForDataSource(sqlite).firstRowsKeys, QString());
    config.RemoveDataSources({silent, longNames, shortNames, sqlite});

    // And the connect string carries them.
    CODBCObject object;
    ASSERT_TRUE(object.AllocEnvironment());
    QString connectString = u"DSN=x"_qs;
    EXPECT_TRUE(object.ApplyDriverOptions(DriverTraits::ForConfiguration({.driver = u"SQLite3"_qs}),
                                          connectString));
    EXPECT_EQ(connectString, u"DSN=x;StepAPI=1"_qs);
}
