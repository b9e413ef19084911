#pragma once

#include <QMap>
#include <QString>

// Data sources for the PostgreSQL and MariaDB servers that
// scripts/test-servers.sh starts (in ctest: the DatabaseServers fixture, see
// tessella_require_servers in tests/ServerTests.cmake). Reads
// $TESSELLA_SERVERS_DIR/servers.env, or the script's default state folder when
// the variable is unset, once at construction.
//
// Without the servers every Add* answers false, so that a test run outside the
// fixture skips instead of failing:
//
//     ServerDataSources servers;
//     if (!servers.AddPostgres(u"TestPg"_qs)) {
//         GTEST_SKIP() << servers.Problem().toStdString();
//     }
class ServerDataSources
{
public:
    ServerDataSources();

    // True when servers.env was read and names both servers' ports.
    bool Available() const { return m_problem.isEmpty(); }
    // Why not available, for a skip message; empty when available.
    const QString& Problem() const { return m_problem; }

    // Add (or replace) a data source `name` in the tests' private ODBC
    // configuration, pointing at the server's test database with its test
    // login. The login is also in the data source, so an empty user and
    // password connect too. `extra` adds or overrides driver keys.
    using Attributes = QMap<QString, QString>;
    bool AddPostgres(const QString& name, const Attributes& extra = {});
    bool AddMariaDb(const QString& name, const Attributes& extra = {});

    QString PostgresUser() const { return Value(QStringLiteral("TESSELLA_PG_USER")); }
    QString PostgresPassword() const { return Value(QStringLiteral("TESSELLA_PG_PASSWORD")); }
    QString PostgresDatabase() const { return Value(QStringLiteral("TESSELLA_PG_DATABASE")); }
    QString MariaDbUser() const { return Value(QStringLiteral("TESSELLA_MARIADB_USER")); }
    QString MariaDbPassword() const { return Value(QStringLiteral("TESSELLA_MARIADB_PASSWORD")); }
    QString MariaDbDatabase() const { return Value(QStringLiteral("TESSELLA_MARIADB_DATABASE")); }
    // A login on both servers whose name and password hold ";", "}", "{" and "=".
    QString OddUser() const { return Value(QStringLiteral("TESSELLA_ODD_USER")); }
    QString OddPassword() const { return Value(QStringLiteral("TESSELLA_ODD_PASSWORD")); }

    // Any line of servers.env, e.g. "TESSELLA_PG_PORT"; empty when absent.
    QString Value(const QString& key) const { return m_values.value(key); }

    // The state folder in use and its settings file.
    static QString StateFolder();
    static QString EnvFilePath();

private:
    QMap<QString, QString> m_values;
    QString m_problem;
};
