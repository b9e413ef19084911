#pragma once

#include "runner/RunnerCommandLine.h"

#include <cstdio>

class CConnectionDataArray;
class CHeadlessResultsWindow;
class CKeyring;
class CResultStore;
class COrderedOutput;
class CTessellaDoc;

// Runs a document's SQL on its enabled connections as the workbench's Run
// does and writes the result list as it arrives, each connection's group in
// the document's order.
class CDocumentRun
{
public:
    CDocumentRun(const CRunnerCommandLine& commandLine, std::FILE* out, std::FILE* err)
        : m_commandLine(commandLine), m_out(out), m_err(err)
    {
    }

    // The exit code: 0 all connected and executed, 1 a connection or batch
    // failed, 2 a file or usage error; with --compare, 3 when the connections' rows differ. After
    // SIGINT (Ctrl+C), SIGTERM or SIGHUP the runner writes what it has and leaves at once with 128
    // + the signal, without returning: a thread may be in a driver call that never returns.
    int Execute();

    // The passwords the document's entries lack: the keyring's first, then `password` (given
    // before any --dsn) for the entries still without one.
    static void GivePasswords(CConnectionDataArray& entries, const QString& file,
                              const QString& password, CKeyring& keyring);

private:
    void AddDataSources(CTessellaDoc& document) const;
    void ApplySettings(CTessellaDoc& document) const;
    // The run goes into the history of runs, its beginning before anything runs.
    void RecordHistory(CTessellaDoc& document) const;
    // True when the run ended, false when a stop signal's grace ran out first.
    bool Follow(CTessellaDoc& document, const CHeadlessResultsWindow& window,
                COrderedOutput& output);
    // Completes the group of every data source whose threads have all ended.
    static void CompleteEndedGroups(const CTessellaDoc& document, COrderedOutput& output);
    void ShowProgress(const CTessellaDoc& document, bool final);
    // With --compare the rows are not written: the error messages go to the error stream.
    void WriteErrors(const CResultStore& store) const;

    const CRunnerCommandLine& m_commandLine;
    std::FILE* m_out;
    std::FILE* m_err;
    bool m_terminal = false;
    bool m_progress = false;
    int m_progressLines = 0;
};
