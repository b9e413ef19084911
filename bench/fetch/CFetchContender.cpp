#include "CFetchContender.h"

#include <QFile>

#include <algorithm>

bool CFetchContender::Sample()
{
    const CChildProcess::Outcome outcome = m_process.Run();
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
    return m_samples.empty() ? 0 : *std::min_element(m_samples.begin(), m_samples.end());
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
    return m_exits.empty() ? 0 : *std::min_element(m_exits.begin(), m_exits.end());
}

double CFetchContender::BestCpu() const
{
    return m_cpu.empty() ? 0 : *std::min_element(m_cpu.begin(), m_cpu.end());
}
