#include "CChildProcess.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <vector>

namespace {

// In the child only: connects `fd` to `file`, or leaves it when `file` is empty.
void Redirect(const QByteArray& file, int fd, int flags)
{
    if (file.isEmpty()) {
        return;
    }
    const int opened = open(file.constData(), flags, 0644);
    if (opened < 0) {
        _exit(127);
    }
    dup2(opened, fd);
    close(opened);
}

} // namespace

qint64 CChildProcess::MonotonicNs()
{
    // The steady clock is CLOCK_MONOTONIC on Linux, the clock tessella-run --timing reports.
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

CChildProcess::Outcome CChildProcess::Run() const
{
    // Everything the child needs is prepared before the fork: it only redirects and execs.
    const QByteArray program = m_program.toLocal8Bit();
    std::vector<QByteArray> arguments{program};
    for (const QString& argument : m_arguments) {
        arguments.push_back(argument.toLocal8Bit());
    }
    std::vector<char*> argv;
    for (QByteArray& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const QByteArray input = m_input.toLocal8Bit();
    const QByteArray output = m_output.toLocal8Bit();
    const QByteArray errors = m_errors.toLocal8Bit();

    Outcome outcome;
    outcome.startNs = MonotonicNs();
    const pid_t pid = fork();
    if (pid == 0) {
        Redirect(input, STDIN_FILENO, O_RDONLY);
        Redirect(output, STDOUT_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        Redirect(errors, STDERR_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0) {
        return outcome;
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
    }
    outcome.seconds = double(MonotonicNs() - outcome.startNs) / 1e9;
    outcome.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    outcome.peakResidentBytes = qint64(usage.ru_maxrss) * 1024; // kilobytes on Linux
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}
