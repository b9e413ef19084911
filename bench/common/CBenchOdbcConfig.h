#pragma once

#include <QMap>
#include <QString>
#include <QTemporaryDir>

// A private ODBC configuration for one benchmark process and the programs it starts (isql,
// tessella-run, the bare fetch loop): ODBCSYSINI and ODBCINI point into a temporary folder, so
// that the user's own data sources are neither read nor changed.
//
// The servers' settings come from servers.env of scripts/test-servers.sh, in
// $TESSELLA_SERVERS_DIR or its default folder.
//
// One per process: the driver manager keeps what it read of the first folder's files and does
// not notice the variables moving to another. Data sources may be added at any time.
class CBenchOdbcConfig
{
public:
    enum class Driver
    {
        Sqlite,
        Postgres,
        MariaDb
    };

    struct Login
    {
        QString user;
        QString password;
    };

    CBenchOdbcConfig();

    bool Valid() const { return m_dir.isValid(); }
    // True when servers.env names both servers; else ServerProblem() says why.
    bool ServersAvailable() const { return m_serverProblem.isEmpty(); }
    const QString& ServerProblem() const { return m_serverProblem; }

    // Adds a data source `name` for a SQLite file, or for `database` on a test server. The login
    // is written into the data source too, so that "DSN=name" alone connects.
    // `stepApi` false leaves the driver's row stepping to what the program chooses.
    void AddSqlite(const QString& name, const QString& file, bool stepApi = true);
    bool AddServer(const QString& name, Driver driver, const QString& database);

    // The test server's own database, the one its test login may always reach.
    QString ServerDatabase(Driver driver) const;
    Login ServerLogin(Driver driver) const;

    static QString DriverName(Driver driver);
    // The state folder of scripts/test-servers.sh that servers.env was read from.
    const QString& ServersFolder() const { return m_serversFolder; }
    // "sqlite", "postgres", "mariadb": how a command line names it.
    static QString DriverKey(Driver driver);
    // Where the benchmarks keep their SQLite file and outputs: $TESSELLA_BENCH_DIR, by default
    // /tmp/tessella-bench-fetch.
    static QString BenchFolder();

private:
    QString Value(const char* key) const { return m_values.value(QString::fromLatin1(key)); }
    void ReadServers();
    void Write() const;

    QTemporaryDir m_dir;
    QMap<QString, QString> m_values;
    QString m_serverProblem;
    QString m_serversFolder;
    QMap<QString, QMap<QString, QString>> m_dataSources;
};
