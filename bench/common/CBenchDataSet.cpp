#include "CBenchDataSet.h"

#include "COdbcSession.h"

#include <QDir>
#include <QElapsedTimer>

using Driver = CBenchOdbcConfig::Driver;

qsizetype CBenchDataSet::DefaultRows()
{
    bool number = false;
    const qsizetype rows = qEnvironmentVariable("TESSELLA_BENCH_ROWS").toLongLong(&number);
    return number && rows > 0 ? rows : 1'000'000;
}

QString CBenchDataSet::SqliteFolder()
{
    const QString folder = qEnvironmentVariable("TESSELLA_BENCH_DIR");
    return folder.isEmpty() ? u"/tmp/tessella-bench-fetch"_qs : folder;
}

bool CBenchDataSet::EnsureSqliteTable(CBenchOdbcConfig& config, const QString& dsn)
{
    const QString folder = SqliteFolder();
    if (!config.Valid() || !QDir().mkpath(folder)) {
        return Fail(u"cannot make the private ODBC folder or "_qs + folder);
    }
    config.AddSqlite(dsn, QDir(folder).filePath(u"t.db"_qs));
    return EnsureTable(dsn);
}

bool CBenchDataSet::Fail(const QString& message)
{
    m_message = message;
    return false;
}

bool CBenchDataSet::EnsureDatabase(const QString& serverDsn, const QString& database)
{
    COdbcSession session;
    if (!session.Connect(u"DSN="_qs + serverDsn)) {
        return Fail(session.Error());
    }
    if (m_driver == Driver::MariaDb) {
        return session.Execute(u"CREATE DATABASE IF NOT EXISTS "_qs + database +
                               u" CHARACTER SET utf8mb4"_qs) ||
               Fail(session.Error());
    }
    const std::optional<qlonglong> found = session.QueryNumber(
        u"SELECT COUNT(*) FROM pg_database WHERE datname = '"_qs + database + u"'"_qs);
    if (!found) {
        return Fail(session.Error());
    }
    return *found > 0 ||
           session.Execute(u"CREATE DATABASE "_qs + database + u" ENCODING 'UTF8'"_qs) ||
           Fail(session.Error());
}

bool CBenchDataSet::EnsureTable(const QString& dsn)
{
    COdbcSession session;
    if (!session.Connect(u"DSN="_qs + dsn)) {
        return Fail(session.Error());
    }
    // Both counts right: the table is this one, complete.
    const std::optional<qlonglong> rows = session.QueryNumber(u"SELECT COUNT(*) FROM t"_qs);
    const std::optional<qlonglong> nulls =
        rows ? session.QueryNumber(u"SELECT COUNT(*) FROM t WHERE note IS NULL"_qs) : std::nullopt;
    if (rows == m_rows && nulls == m_rows / 10) {
        m_message = u"reused"_qs;
        return true;
    }
    QElapsedTimer clock;
    clock.start();
    if (!session.Begin() || !session.Execute(u"DROP TABLE IF EXISTS t"_qs) ||
        !session.Execute(CreateSql()) || !session.Execute(InsertSql()) || !session.Commit()) {
        return Fail(session.Error());
    }
    if (m_driver != Driver::Sqlite) {
        // Fresh statistics and, for PostgreSQL, set hint bits: the first scan would write them.
        session.Execute(m_driver == Driver::Postgres ? u"VACUUM ANALYZE t"_qs
                                                     : u"ANALYZE TABLE t"_qs);
    }
    m_message =
        QStringLiteral("generated in %1 s").arg(double(clock.elapsed()) / 1000.0, 0, 'f', 1);
    return true;
}

bool CBenchDataSet::Provide(CBenchOdbcConfig& config, const QString& dsn, const QString& folder,
                            bool sqliteStepApi)
{
    if (m_driver == Driver::Sqlite) {
        config.AddSqlite(dsn, QDir(folder).filePath(u"t.db"_qs), sqliteStepApi);
    } else {
        const QString serverDsn = dsn + u"Setup"_qs;
        if (!config.AddServer(serverDsn, m_driver, config.ServerDatabase(m_driver))) {
            return Fail(config.ServerProblem());
        }
        if (!EnsureDatabase(serverDsn)) {
            return false;
        }
        config.AddServer(dsn, m_driver, ServerDatabase());
    }
    return EnsureTable(dsn);
}

QString CBenchDataSet::CreateSql() const
{
    switch (m_driver) {
    case Driver::Sqlite:
        return u"CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT, amount REAL, day TEXT, "
               u"note TEXT)"_qs;
    case Driver::Postgres:
        return u"CREATE TABLE t (id integer NOT NULL, name varchar(20), amount double precision, "
               u"day varchar(10), note varchar(30))"_qs;
    case Driver::MariaDb:
        return u"CREATE TABLE t (id INT NOT NULL, name VARCHAR(20), amount DOUBLE, "
               u"day VARCHAR(10), note VARCHAR(30)) ENGINE=InnoDB"_qs;
    }
    return {};
}

QString CBenchDataSet::InsertSql() const
{
    const QString rows = QString::number(m_rows);
    switch (m_driver) {
    case Driver::Sqlite:
        return u"INSERT INTO t WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s "
               u"WHERE i < "_qs +
               rows +
               u") SELECT i, printf('name%016d', i), (i % 100000) * 1.25, "
               u"date('2000-01-01', '+' || (i % 10000) || ' days'), "
               u"CASE WHEN i % 10 = 0 THEN NULL ELSE 'note ' || i END FROM s"_qs;
    case Driver::Postgres:
        return u"INSERT INTO t SELECT i, 'name' || lpad(i::text, 16, '0'), (i % 100000) * 1.25, "
               u"to_char(date '2000-01-01' + i % 10000, 'YYYY-MM-DD'), "
               u"CASE WHEN i % 10 = 0 THEN NULL ELSE 'note ' || i END "
               u"FROM generate_series(1, "_qs +
               rows + u") AS s(i)"_qs;
    case Driver::MariaDb:
        // The sequence engine's virtual table seq_1_to_N.
        return u"INSERT INTO t SELECT seq, CONCAT('name', LPAD(seq, 16, '0')), "
               u"(seq % 100000) * 1.25, "
               u"DATE_FORMAT(DATE '2000-01-01' + INTERVAL (seq % 10000) DAY, '%Y-%m-%d'), "
               u"IF(seq % 10 = 0, NULL, CONCAT('note ', seq)) FROM seq_1_to_"_qs +
               rows;
    }
    return {};
}
