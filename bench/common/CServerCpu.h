#pragma once

#include <QString>

#include <utility>

// The CPU time the test servers of scripts/test-servers.sh have used so far (user plus system,
// in seconds): MariaDB's server with all its threads, PostgreSQL's postmaster with its live
// processes and those it has reaped. What a client costs a server is the difference over its
// run. 0 for a server that does not run.
class CServerCpu
{
public:
    explicit CServerCpu(QString stateFolder) : m_stateFolder(std::move(stateFolder)) {}

    double Seconds() const;

private:
    QString m_stateFolder;
};
