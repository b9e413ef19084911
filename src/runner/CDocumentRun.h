#pragma once

#include "RunnerCommandLine.h"

#include <cstdio>

class CTessellaDoc;

// Runs a document's SQL on its enabled connections as the workbench's Run
// does, waits for every thread, and writes the merged result list.
class CDocumentRun
{
public:
    CDocumentRun(const CRunnerCommandLine& commandLine, std::FILE* out, std::FILE* err)
        : m_commandLine(commandLine), m_out(out), m_err(err)
    {
    }

    // The exit code: 0 all connected and executed, 1 a connection or batch
    // failed, 2 a file or usage error, 130 stopped by Ctrl+C.
    int Execute();

private:
    void AddDataSources(CTessellaDoc& document) const;
    void ApplySettings(CTessellaDoc& document) const;
    bool WaitForEnd(CTessellaDoc& document);
    void ShowProgress(const CTessellaDoc& document, bool final, bool terminal);
    void WriteResults(const CTessellaDoc& document);

    const CRunnerCommandLine& m_commandLine;
    std::FILE* m_out;
    std::FILE* m_err;
    int m_progressLines = 0;
};
