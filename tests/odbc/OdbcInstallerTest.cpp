// The user's data sources written and read through the driver manager's installer, in the
// private configuration of the tests: what is written is what the driver manager then connects
// with, and nothing of the system's configuration is listed as the user's.

#include "odbc/OdbcInstaller.h"
#include "OdbcTestConfig.h"
#include "odbc/CODBCObject.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The installer keeps what it read of a file for the rest of that second: a name of its own for
// every data source.
QString UniqueName(const QString& prefix)
{
    static int count = 0;
    return prefix + QString::number(++count);
}

QString UserFile()
{
    QFile file(OdbcTestConfig::Instance().Folder() + u"/user-odbc.ini"_qs);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

} // namespace

TEST(OdbcInstaller, ListsTheInstalledDrivers)
{
    const QStringList drivers = odbc::InstalledDrivers();
    EXPECT_EQ(drivers,
              (QStringList{u"SQLite3"_qs, u"PostgreSQL Unicode"_qs, u"MariaDB Unicode"_qs}));
}

TEST(OdbcInstaller, WrittenDataSourceIsListedWithItsKeysInOrderAndConnects)
{
    QTemporaryDir folder;
    const QString name = UniqueName(u"Written"_qs);
    const QString database = folder.filePath(u"w.db"_qs);
    QString error;
    ASSERT_TRUE(odbc::WriteUserDataSource(
        name, u"SQLite3"_qs, {{u"Database"_qs, database}, {u"StepAPI"_qs, u"1"_qs}}, error))
        << error.toStdString();

    EXPECT_TRUE(odbc::UserDataSources().contains(name));
    const odbc::DataSourceKeys expected{
        {u"Driver"_qs, u"SQLite3"_qs}, {u"Database"_qs, database}, {u"StepAPI"_qs, u"1"_qs}};
    EXPECT_EQ(odbc::UserDataSourceKeys(name), expected);
    EXPECT_EQ(odbc::DataSourceEntry(name, u"Database"_qs), database);

    CODBCObject connection;
    EXPECT_TRUE(connection.ConnectNoPrompt(name, {}, {}, {}, 5, false, &error))
        << error.toStdString();
    connection.Disconnect();
    EXPECT_TRUE(odbc::RemoveUserDataSource(name, error));
}

TEST(OdbcInstaller, RewritingDropsKeysNoLongerGivenAndRemovingLeavesOthers)
{
    const QString kept = UniqueName(u"Kept"_qs);
    const QString changed = UniqueName(u"Changed"_qs);
    QString error;
    ASSERT_TRUE(
        odbc::WriteUserDataSource(kept, u"SQLite3"_qs, {{u"Database"_qs, u"/k.db"_qs}}, error));
    ASSERT_TRUE(odbc::WriteUserDataSource(
        changed, u"SQLite3"_qs, {{u"Database"_qs, u"/a.db"_qs}, {u"StepAPI"_qs, u"0"_qs}}, error));
    // A "Driver" among the keys does not stand beside the driver given.
    ASSERT_TRUE(odbc::WriteUserDataSource(
        changed, u"PostgreSQL Unicode"_qs,
        {{u"Driver"_qs, u"SQLite3"_qs}, {u"Servername"_qs, u"127.0.0.1"_qs}}, error));
    EXPECT_EQ(odbc::UserDataSourceKeys(changed),
              (odbc::DataSourceKeys{{u"Driver"_qs, u"PostgreSQL Unicode"_qs},
                                    {u"Servername"_qs, u"127.0.0.1"_qs}}));

    ASSERT_TRUE(odbc::RemoveUserDataSource(changed, error));
    const QStringList sources = odbc::UserDataSources();
    EXPECT_FALSE(sources.contains(changed));
    EXPECT_TRUE(sources.contains(kept));
    EXPECT_EQ(odbc::DataSourceEntry(kept, u"Database"_qs), u"/k.db"_qs);
    // Written where the tests' configuration says, never to the user's home.
    EXPECT_TRUE(UserFile().contains(u'[' + kept + u']'));
    EXPECT_TRUE(odbc::RemoveUserDataSource(kept, error));
}

TEST(OdbcInstaller, RefusedNameGivesTheInstallersReason)
{
    QString error;
    EXPECT_FALSE(odbc::WriteUserDataSource(u"Bad[Name]"_qs, u"SQLite3"_qs, {}, error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(odbc::UserDataSources().contains(u"Bad[Name]"_qs));
}

TEST(OdbcInstaller, SystemDataSourcesAreNotListedAsTheUsers)
{
    const QString system = UniqueName(u"SystemWide"_qs);
    QFile file(OdbcTestConfig::Instance().Folder() + u"/odbc.ini"_qs);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write((u'[' + system + u"]\nDriver = SQLite3\n"_qs).toUtf8());
    file.close();
    EXPECT_FALSE(odbc::UserDataSources().contains(system));
    // Still known to the driver manager as a data source.
    EXPECT_EQ(odbc::DataSourceEntry(system, u"Driver"_qs), u"SQLite3"_qs);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
}
