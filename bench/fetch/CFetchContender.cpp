#include "CFetchContender.h"

#include <QFile>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

// A PostgreSQL backend ends after its client and is reaped by the postmaster a moment later:
// only then does its time count for the postmaster.
constexpr std::chrono::milliseconds kReapWait{100};

double Least(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

} // namespace

bool CFetchContender::Sample()
{
    const double serversBefore = m_servers ? m_servers->Seconds() : 0;
    const CChildProcess::Outcome outcome = m_process.Run();
    double serversSpent = 0;
    if (m_servers) {
        std::this_thread::sleep_for(kReapWait);
        serversSpent = m_servers->Seconds() - serversBefore;
    }
    if (outcome.exitCode != 0) {
        m_problem = QStringLiteral("%1 exited with %2").arg(m_label).arg(outcome.exitCode);
        return false;
    }
    double seconds = outcome.seconds;
    if (m_end == End::LastIntake && !ReadIntakeSeconds(outcome.startNs, seconds)) {
        return false;
    }
    m_samples.push_back(seconds);
    m_exits.push_back(outcome.seconds);
    m_cpu.push_back(outcome.cpuSeconds);
    m_cpuWithServers.push_back(outcome.cpuSeconds + serversSpent);
    return true;
}

bool CFetchContender::ReadIntakeSeconds(qint64 startNs, double& seconds)
{
    QFile errors(m_process.Errors());
    if (!errors.open(QIODevice::ReadOnly)) {
        m_problem = m_label + u": no error output to read the timing from"_qs;
        return false;
    }
    for (const QByteArray& line : errors.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 5 && fields[0] == "timing" && fields[1] == "last-intake-ns") {
            const qint64 intake = fields[2].toLongLong();
            if (intake > startNs) {
                seconds = double(intake - startNs) / 1e9;
                return true;
            }
        }
    }
    m_problem = m_label + u": no timing line from tessella-run --timing"_qs;
    return false;
}

double CFetchContender::Best() const
{
    return Least(m_samples);
}

double CFetchContender::Median() const
{
    if (m_samples.empty()) {
        return 0;
    }
    std::vector<double> sorted = m_samples;
    std::sort(sorted.begin(), sorted.end());
    return sorted[sorted.size() / 2];
}

double CFetchContender::BestExit() const
{
    return Least(m_exits);
}

double CFetchContender::BestCpu() const
{
    return Least(m_cpu);
}

double CFetchContender::BestCpuWithServers() const
{
    return Least(m_cpuWithServers);
}
