#pragma once

#include "CBenchOdbcConfig.h"

#include <QString>
#include <QtGlobal>

// The benchmarks' table `t`: `rows` rows of an integer id, a 20-character text, a real, a date
// as text and a text that is NULL every tenth row. Made in one statement inside one transaction,
// and kept: a later run reuses it when it holds the right rows.
class CBenchDataSet
{
public:
    // The database the benchmarks keep their tables in on each test server.
    static QString ServerDatabase() { return QStringLiteral("tessella_bench_fetch"); }
    // Rows of `t`: 1,000,000, or $TESSELLA_BENCH_ROWS for a quick look.
    static qsizetype DefaultRows();
    // Where the SQLite file is kept between runs: $TESSELLA_BENCH_DIR, default
    // /tmp/tessella-bench-fetch.
    static QString SqliteFolder();

    CBenchDataSet(CBenchOdbcConfig::Driver driver, qsizetype rows) : m_driver(driver), m_rows(rows)
    {
    }

    // Creates `database` on a test server when missing, connecting through the data source
    // `serverDsn` of the server's own database.
    bool EnsureDatabase(const QString& serverDsn, const QString& database = ServerDatabase());
    // Makes `t` through the data source `dsn` unless it is there already.
    bool EnsureTable(const QString& dsn);
    // Adds the data source `dsn` of the SQLite file in SqliteFolder() to `config`, and makes `t`
    // in it as EnsureTable does.
    bool EnsureSqliteTable(CBenchOdbcConfig& config, const QString& dsn);
    // Adds the data source `dsn` of the driver to `config`, on the SQLite file t.db in `folder`
    // or on the benchmarks' database of a test server (made when missing), and ensures `t`
    // there. `sqliteStepApi` as for CBenchOdbcConfig::AddSqlite.
    bool Provide(CBenchOdbcConfig& config, const QString& dsn, const QString& folder,
                 bool sqliteStepApi = true);

    // What EnsureTable did ("reused", "generated in 4.2 s") or why it failed.
    const QString& Message() const { return m_message; }

private:
    QString CreateSql() const;
    QString InsertSql() const;
    bool Fail(const QString& message);

    CBenchOdbcConfig::Driver m_driver;
    qsizetype m_rows;
    QString m_message;
};
