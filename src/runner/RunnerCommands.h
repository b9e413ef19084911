#pragma once

#include "runner/RunnerCommandLine.h"

#include <cstdio>

// Exit codes of tessella-run.
enum RunnerExit : int
{
    ExitOk = 0,
    ExitDatabaseError = 1,
    ExitUsageOrFileError = 2,
    ExitResultsDiffer = 3, // --compare: a connection's rows differ from the first's
};

// Carries out a parsed command, writing results to `out` and messages to `err`
// (UTF-8), and returns the exit code.
class CRunnerCommands
{
public:
    CRunnerCommands(std::FILE* out, std::FILE* err) : m_out(out), m_err(err) {}

    int Execute(const CRunnerCommandLine& commandLine);

private:
    int PrintDocument(const QString& file);
    int SaveAs(const CRunnerCommandLine& commandLine);
    int Connect(const CRunnerCommandLine& commandLine);

    void Write(const QString& text);
    // One line on the error stream; line breaks inside become blanks.
    void Complain(const QString& message);

    std::FILE* m_out;
    std::FILE* m_err;
};
