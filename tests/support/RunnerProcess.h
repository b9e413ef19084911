#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// tessella-run started by a test that defines TESSELLA_RUN_BINARY, run to its end.
struct RunnerOutcome
{
    int exitCode = -1;
    QString out;
    QString err;

    // exitCode is -1 when it did not end within `milliseconds`.
    static RunnerOutcome Of(const QStringList& args, int milliseconds = 60000)
    {
        QProcess process;
        process.start(QStringLiteral(TESSELLA_RUN_BINARY), args);
        RunnerOutcome outcome;
        if (process.waitForFinished(milliseconds)) {
            outcome.exitCode = process.exitCode();
        }
        outcome.out = QString::fromUtf8(process.readAllStandardOutput());
        outcome.err = QString::fromUtf8(process.readAllStandardError());
        return outcome;
    }
};
