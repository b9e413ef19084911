#pragma once

#include <QString>
#include <QTemporaryDir>

// A MariaDB server of one test's own, started by scripts/test-servers.sh
// (mariadb-instance) in a temporary folder, so that the test may stop it
// without disturbing the shared servers. Stopped and removed with the object.
class PrivateMariaDb
{
public:
    PrivateMariaDb();
    ~PrivateMariaDb();
    PrivateMariaDb(const PrivateMariaDb&) = delete;
    PrivateMariaDb& operator=(const PrivateMariaDb&) = delete;

    // The first start initialises the server; a later one reuses its data and port.
    bool Start();
    bool Stop();
    // The script's output of the last failed command, for a failure message.
    const QString& Problem() const { return m_problem; }
    int Port() const { return m_port; }

    // Adds data source `name` for it to the tests' private ODBC configuration.
    void AddDataSource(const QString& name) const;

private:
    bool RunScript(const QString& action);

    QTemporaryDir m_dir;
    int m_port = 0;
    QString m_problem;
};
