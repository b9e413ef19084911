#include "CDocumentRun.h"

#include "CDocumentFile.h"
#include "CHeadlessResultsWindow.h"
#include "CRegisteredEvents.h"
#include "CSqlTextSource.h"
#include "CTessellaDoc.h"
#include "RunnerCommands.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringEncoder>
#include <QTimer>

#include <csignal>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t s_interrupted = 0;

extern "C" void OnInterrupt(int)
{
    s_interrupted = 1;
}

// How often the runner looks at its threads, and redraws the progress lines.
constexpr int kPollMilliseconds = 10;
constexpr int kProgressMilliseconds = 250;
// Output is written in blocks of about this size.
constexpr qsizetype kOutputBlock = 1 << 20;

} // namespace

int CDocumentRun::Execute()
{
    CDocumentContent content;
    QString error;
    if (!CDocumentFile::Load(m_commandLine.file, content, error)) {
        error.replace(u'\n', u' ');
        std::fprintf(m_err, "%s\n", error.toUtf8().constData());
        return ExitUsageOrFileError;
    }
    CTessellaDoc document;
    // No window to keep responsive: the threads compete with the machine's other work
    // on equal terms.
    document.SetLowPriorityThreads(false);
    document.m_connections = content.connections;
    AddDataSources(document);
    ApplySettings(document);
    CHeadlessResultsWindow window(document);
    document.SetResultsWindow(&window);

    s_interrupted = 0;
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    struct sigaction previous = {};
    sigaction(SIGINT, &action, &previous);

    CStringTextSource source(content.sqlText);
    document.StartRun(source);
    const bool interrupted = WaitForEnd(document);
    sigaction(SIGINT, &previous, nullptr);

    WriteResults(document);
    if (m_commandLine.timing) {
        // Machine-readable for the benchmarks: both on the system's monotonic clock.
        std::fprintf(m_err, "timing\tlast-intake-ns\t%lld\toutput-written-ns\t%lld\n",
                     static_cast<long long>(window.LastIntakeNs()),
                     static_cast<long long>(CHeadlessResultsWindow::MonotonicNs()));
    }
    if (interrupted) {
        return 130;
    }
    for (const auto& thread : document.QueryThreads()) {
        if (thread->Failed()) {
            return ExitDatabaseError;
        }
    }
    return ExitOk;
}

void CDocumentRun::AddDataSources(CTessellaDoc& document) const
{
    for (const auto& source : m_commandLine.dataSources) {
        document.m_connections.append(source.ToEntry());
    }
}

void CDocumentRun::ApplySettings(CTessellaDoc& document) const
{
    CRunSettings settings = CRunSettings::Load();
    if (!m_commandLine.separator.isNull()) {
        settings.separator = m_commandLine.separator;
        settings.useSeparator = true;
    }
    if (m_commandLine.noSeparator) {
        settings.useSeparator = false;
    }
    settings.ignoreInfo = settings.ignoreInfo || m_commandLine.ignoreInfo;
    settings.reconnect = settings.reconnect || m_commandLine.reconnect;
    // The workbench's limit is for what a window holds; the runner's is its own.
    settings.resultMemoryLimitMB = m_commandLine.resultMemoryLimitMB;
    document.SetSettingsOverride(settings);
}

bool CDocumentRun::WaitForEnd(CTessellaDoc& document)
{
    const bool terminal = isatty(fileno(m_err)) != 0;
    const bool progress = terminal || m_commandLine.progress;
    bool stopped = false;
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    while (!document.IsIdle()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, kPollMilliseconds);
        QCoreApplication::sendPostedEvents();
        if (s_interrupted && !stopped) {
            document.StopRun(0);
            stopped = true;
        }
        if (progress && sinceProgress.elapsed() >= kProgressMilliseconds) {
            ShowProgress(document, false, terminal);
            sinceProgress.restart();
        }
        usleep(kPollMilliseconds * 1000);
    }
    // The threads have ended; their last batches may still wait in the queue.
    QCoreApplication::sendPostedEvents(nullptr, CRegisteredEvents::ArrayPost());
    if (progress) {
        ShowProgress(document, true, terminal);
    }
    return stopped;
}

void CDocumentRun::ShowProgress(const CTessellaDoc& document, bool final, bool terminal)
{
    QString text;
    if (!terminal) {
        // Plain lines for a log or a pipe: one per connection and turn.
        for (const auto& thread : document.QueryThreads()) {
            text += QStringLiteral("%1: %2 rows\n")
                        .arg(thread->Entry().m_dataSource)
                        .arg(thread->RowsReceived());
        }
        std::fputs(text.toUtf8().constData(), m_err);
        std::fflush(m_err);
        return;
    }
    if (m_progressLines > 0) {
        text += QStringLiteral("\x1b[%1A").arg(m_progressLines); // back to the first line
    }
    int lines = 0;
    for (const auto& thread : document.QueryThreads()) {
        const char* state = thread->IsRunning() ? "" : " (done)";
        text += QStringLiteral("\r\x1b[K%1: %2 rows%3\n")
                    .arg(thread->Entry().m_dataSource)
                    .arg(thread->RowsReceived())
                    .arg(QString::fromLatin1(state));
        ++lines;
    }
    m_progressLines = final ? 0 : lines;
    std::fputs(text.toUtf8().constData(), m_err);
    std::fflush(m_err);
}

void CDocumentRun::WriteResults(const CTessellaDoc& document)
{
    const CResultStore& results = document.Results();
    QByteArray block;
    block.reserve(kOutputBlock + 4096);
    QStringEncoder toUtf8(QStringEncoder::Utf8);
    QString line;
    for (qsizetype row = 0; row < results.Count(); ++row) {
        const CBufferElem& element = results.At(row);
        line.setNum(element.m_kind);
        line += u'\t';
        const qsizetype start = line.size();
        line += element.m_text;
        // One element a line, whatever its values hold.
        for (qsizetype i = start; i < line.size(); ++i) {
            if (line[i] == u'\r' || line[i] == u'\n') {
                line[i] = u' ';
            }
        }
        line += u'\n';
        // Encoded straight into the block, and the block emptied, not freed: a million rows
        // would otherwise cost a temporary array a row and a fresh block a megabyte.
        const qsizetype at = block.size();
        block.resize(at + toUtf8.requiredSpace(line.size()));
        const char* end = toUtf8.appendToBuffer(block.data() + at, line);
        block.resize(end - block.constData());
        if (block.size() >= kOutputBlock) {
            std::fwrite(block.constData(), 1, static_cast<size_t>(block.size()), m_out);
            block.resize(0);
        }
    }
    std::fwrite(block.constData(), 1, static_cast<size_t>(block.size()), m_out);
    std::fflush(m_out);
}
