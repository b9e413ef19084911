#include "CBenchDataSet.h"
#include "CBenchOdbcConfig.h"
#include "COdbcSession.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Driver = CBenchOdbcConfig::Driver;

constexpr qsizetype kRows = 1000;
// Not the benchmarks' own database: a test run against the shared servers leaves it alone.
const QString kTestDatabase = u"tessella_bench_test"_qs;

qlonglong Number(COdbcSession& session, const QString& sql)
{
    const std::optional<qlonglong> value = session.QueryNumber(sql);
    EXPECT_TRUE(value.has_value()) << sql.toStdString() << ": " << session.Error().toStdString();
    return value.value_or(-1);
}

// What every driver's table must hold, whatever its SQL dialect.
void ExpectTheTable(const QString& dsn, qsizetype rows)
{
    COdbcSession session;
    ASSERT_TRUE(session.Connect(u"DSN="_qs + dsn)) << session.Error().toStdString();
    EXPECT_EQ(Number(session, u"SELECT COUNT(*) FROM t"_qs), rows);
    EXPECT_EQ(Number(session, u"SELECT COUNT(DISTINCT id) FROM t"_qs), rows);
    EXPECT_EQ(Number(session, u"SELECT MIN(id) FROM t"_qs), 1);
    EXPECT_EQ(Number(session, u"SELECT COUNT(*) FROM t WHERE note IS NULL"_qs), rows / 10);
    EXPECT_EQ(Number(session, u"SELECT COUNT(*) FROM t WHERE note IS NULL AND id % 10 <> 0"_qs), 0)
        << "the NULL falls on every tenth row";
    EXPECT_EQ(Number(session, u"SELECT COUNT(*) FROM t WHERE LENGTH(name) = 20"_qs), rows);
    EXPECT_EQ(Number(session, u"SELECT COUNT(*) FROM t WHERE day LIKE '____-__-__'"_qs), rows);
    EXPECT_EQ(Number(session, u"SELECT COUNT(*) FROM t WHERE amount > 0"_qs), rows);
}

// One for the process, as in the benchmarks: the driver manager keeps what it read of the
// configuration files of the first folder and does not notice a move to another.
CBenchOdbcConfig& Config()
{
    static CBenchOdbcConfig config;
    return config;
}

void GenerateThenReuse(const QString& dsn, Driver driver)
{
    CBenchDataSet data(driver, kRows);
    ASSERT_TRUE(data.EnsureTable(dsn)) << data.Message().toStdString();
    EXPECT_TRUE(data.Message().startsWith(u"generated"_qs) || data.Message() == u"reused"_qs);
    ExpectTheTable(dsn, kRows);

    CBenchDataSet again(driver, kRows);
    ASSERT_TRUE(again.EnsureTable(dsn)) << again.Message().toStdString();
    EXPECT_EQ(again.Message(), u"reused"_qs);

    CBenchDataSet other(driver, kRows / 2);
    ASSERT_TRUE(other.EnsureTable(dsn)) << other.Message().toStdString();
    EXPECT_TRUE(other.Message().startsWith(u"generated"_qs)) << "a wrong row count is remade";
    ExpectTheTable(dsn, kRows / 2);
}

} // namespace

TEST(BenchDataSet, SqliteTableIsMadeOnceAndRemadeWhenItsRowsDiffer)
{
    CBenchOdbcConfig& config = Config();
    QTemporaryDir dir;
    config.AddSqlite(u"DataSetSqlite"_qs, dir.filePath(u"t.db"_qs));
    GenerateThenReuse(u"DataSetSqlite"_qs, Driver::Sqlite);
}

TEST(BenchDataSet, ServerTablesAreMadeInTheirOwnDatabase)
{
    CBenchOdbcConfig& config = Config();
    if (!config.ServersAvailable()) {
        GTEST_SKIP() << config.ServerProblem().toStdString();
    }
    for (const Driver driver : {Driver::Postgres, Driver::MariaDb}) {
        SCOPED_TRACE(CBenchOdbcConfig::DriverName(driver).toStdString());
        const QString setup = u"Setup"_qs + CBenchOdbcConfig::DriverName(driver);
        const QString dsn = u"DataSet"_qs + CBenchOdbcConfig::DriverName(driver);
        ASSERT_TRUE(config.AddServer(setup, driver, config.ServerDatabase(driver)));
        CBenchDataSet data(driver, kRows);
        ASSERT_TRUE(data.EnsureDatabase(setup, kTestDatabase)) << data.Message().toStdString();
        EXPECT_TRUE(data.EnsureDatabase(setup, kTestDatabase)) << "an existing one is kept";
        ASSERT_TRUE(config.AddServer(dsn, driver, kTestDatabase));
        GenerateThenReuse(dsn, driver);
    }
}

TEST(BenchDataSet, SessionErrorsSayWhatFailed)
{
    CBenchOdbcConfig& config = Config();
    COdbcSession nowhere;
    EXPECT_FALSE(nowhere.Connect(u"DSN=NoSuchBenchSource"_qs));
    EXPECT_TRUE(nowhere.Error().contains(u"connect"_qs)) << nowhere.Error().toStdString();

    QTemporaryDir dir;
    config.AddSqlite(u"ErrorsSqlite"_qs, dir.filePath(u"e.db"_qs));
    COdbcSession session;
    ASSERT_TRUE(session.Connect(u"DSN=ErrorsSqlite"_qs)) << session.Error().toStdString();
    EXPECT_FALSE(session.Execute(u"SELECT * FROM missing_table"_qs));
    EXPECT_TRUE(session.Error().contains(u"missing_table"_qs)) << session.Error().toStdString();
    EXPECT_FALSE(session.QueryNumber(u"SELECT 1 WHERE 0"_qs).has_value()) << "no row, no number";
    EXPECT_EQ(session.QueryNumber(u"SELECT 41 + 1"_qs), 42);

    // Uncommitted work is gone with the session.
    {
        COdbcSession writer;
        ASSERT_TRUE(writer.Connect(u"DSN=ErrorsSqlite"_qs));
        ASSERT_TRUE(writer.Execute(u"CREATE TABLE kept (x INTEGER)"_qs));
        ASSERT_TRUE(writer.Begin());
        ASSERT_TRUE(writer.Execute(u"INSERT INTO kept VALUES (1)"_qs));
    }
    EXPECT_EQ(session.QueryNumber(u"SELECT COUNT(*) FROM kept"_qs), 0);
}
