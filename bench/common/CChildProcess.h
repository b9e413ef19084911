#pragma once

#include <QString>
#include <QStringList>

// Runs a program to its end and times it on the monotonic clock, from just before the fork to
// just after the wait: the same measure for isql, tessella-run and the bare fetch loop.
class CChildProcess
{
public:
    struct Outcome
    {
        qint64 startNs = 0; // CLOCK_MONOTONIC just before the fork
        double seconds = 0; // wall time to the reaped exit
        // User plus system CPU time of the child and its threads: on a busy machine the wall
        // time is mostly waiting for a core, and this is what the program itself spent.
        double cpuSeconds = 0;
        int exitCode = -1;            // -1 when it could not start or did not exit normally
        qint64 peakResidentBytes = 0; // the child's largest resident size
    };

    CChildProcess(QString program, QStringList arguments)
        : m_program(std::move(program)), m_arguments(std::move(arguments))
    {
    }

    // Files the child's standard streams are connected to; empty leaves them as they are.
    void SetInput(const QString& file) { m_input = file; }
    void SetOutput(const QString& file) { m_output = file; }
    void SetErrors(const QString& file) { m_errors = file; }

    const QString& Output() const { return m_output; }
    const QString& Errors() const { return m_errors; }

    Outcome Run() const;

    static qint64 MonotonicNs();

private:
    QString m_program;
    QStringList m_arguments;
    QString m_input;
    QString m_output;
    QString m_errors;
};
