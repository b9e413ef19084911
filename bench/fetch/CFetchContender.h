#pragma once

#include "CChildProcess.h"
#include "CServerCpu.h"

#include <QString>
#include <QStringList>

#include <vector>

// One program that fetches the whole table, run again and again: its samples and how each
// sample is taken. A sample is the seconds from the fork to the end the contender defines (the
// exit, or for tessella-run the last batch taken, which it reports with --timing).
class CFetchContender
{
public:
    enum class End
    {
        Exit,
        LastIntake
    };

    CFetchContender(QString label, CChildProcess process, End end)
        : m_label(std::move(label)), m_process(std::move(process)), m_end(end)
    {
    }

    const QString& Label() const { return m_label; }
    CChildProcess& Process() { return m_process; }
    // Counts the servers' CPU time over each sample too.
    void CountServers(const CServerCpu* servers) { m_servers = servers; }

    // Runs once; false with Problem() set when the program failed or its timing line is missing.
    bool Sample();
    double Best() const;
    double Median() const;
    // Best wall time to the exit, whatever End says, and the least CPU time of a run.
    double BestExit() const;
    double BestCpu() const;
    // The least CPU time of a run with what the servers spent on it (as BestCpu without
    // CountServers).
    double BestCpuWithServers() const;
    int Samples() const { return int(m_samples.size()); }
    const QString& Problem() const { return m_problem; }

private:
    bool ReadIntakeSeconds(qint64 startNs, double& seconds);

    QString m_label;
    CChildProcess m_process;
    End m_end;
    std::vector<double> m_samples;
    std::vector<double> m_exits;
    std::vector<double> m_cpu;
    std::vector<double> m_cpuWithServers;
    const CServerCpu* m_servers = nullptr;
    QString m_problem;
};
