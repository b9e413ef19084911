#include "runner/CDocumentRun.h"

#include "document/CDocumentFile.h"
#include "execution/CRegisteredEvents.h"
#include "execution/CSqlTextSource.h"
#include "execution/CTessellaDoc.h"
#include "history/CHistoryRecorder.h"
#include "history/CRunHistory.h"
#include "keyring/CDocumentPasswords.h"
#include "keyring/CKeyring.h"
#include "runner/CComparisonReport.h"
#include "runner/CHeadlessResultsWindow.h"
#include "runner/COrderedOutput.h"
#include "runner/CStopSignals.h"
#include "runner/RunnerCommands.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// How often the runner looks at its threads, and writes rows that trickle in and redraws the
// progress lines.
constexpr int kPollMilliseconds = 10;
constexpr int kProgressMilliseconds = 250;
// After a stop signal: how long the threads get to end on their own before the runner writes
// what it has and leaves; and when the watchdog ends a runner that is held up even so.
constexpr std::chrono::milliseconds kStopGrace{1000};
constexpr std::chrono::milliseconds kStopDeadline{2500};

// The groups' order: the enabled entries', each under its own title.
QStringList GroupOrder(const CTessellaDoc& document)
{
    const QStringList titles = CTessellaDoc::GroupTitles(document.m_connections);
    QStringList order;
    for (qsizetype i = 0; i < document.m_connections.size(); ++i) {
        if (document.m_connections[i].m_enabled) {
            order << titles[i];
        }
    }
    return order;
}

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
    GivePasswords(document.m_connections, m_commandLine.file, m_commandLine.password,
                  CKeyring::Session());
    AddDataSources(document);
    ApplySettings(document);
    if (!m_commandLine.noHistory) {
        RecordHistory(document);
    }
    COrderedOutput output(m_out, GroupOrder(document));
    CHeadlessResultsWindow window(document);
    QSaveFile resultsFile(m_commandLine.resultsFile);
    if (!m_commandLine.resultsFile.isEmpty()) {
        if (!resultsFile.open(QIODevice::WriteOnly)) {
            std::fprintf(m_err, "Cannot write %s: %s\n",
                         m_commandLine.resultsFile.toUtf8().constData(),
                         resultsFile.errorString().toUtf8().constData());
            return ExitUsageOrFileError;
        }
        output.SetDevice(&resultsFile);
    }
    output.SetFormat(m_commandLine.format, m_err);
    // Rows to compare stay in the document's store, as the workbench keeps them.
    if (!m_commandLine.compare) {
        window.SetSink([&output](const CPostElemArray& batch) { output.Take(batch); });
    }
    document.SetResultsWindow(&window);
    m_terminal = isatty(fileno(m_err)) != 0;
    m_progress = m_terminal || m_commandLine.progress;

    CStopSignals stopSignals(kStopDeadline);
    CStringTextSource source(content.sqlText);
    document.StartRun(source);
    const bool ended = Follow(document, window, output);
    if (ended) {
        document.ReportRunEnd();
    }
    stopSignals.StandDown();
    output.Finish();
    if (m_progress && ended) {
        ShowProgress(document, true);
    }
    if (m_commandLine.timing) {
        // Machine-readable for the benchmarks: both on the system's monotonic clock.
        std::fprintf(m_err, "timing\tlast-intake-ns\t%lld\toutput-written-ns\t%lld\n",
                     static_cast<long long>(window.LastIntakeNs()),
                     static_cast<long long>(CHeadlessResultsWindow::MonotonicNs()));
    }
    if (!m_commandLine.resultsFile.isEmpty() && !CStopSignals::Received() &&
        !resultsFile.commit()) {
        std::fprintf(m_err, "Cannot write %s: %s\n", m_commandLine.resultsFile.toUtf8().constData(),
                     resultsFile.errorString().toUtf8().constData());
        return ExitUsageOrFileError;
    }
    if (const int signal = CStopSignals::Received()) {
        // Without the destructors: they would wait for threads that may never return from
        // their driver call, and close connections whose servers may not answer.
        std::fflush(m_out);
        if (m_commandLine.resultsFile.isEmpty()) {
            std::fprintf(m_err,
                         "tessella-run: stopped by SIG%s; the output holds the rows written "
                         "until then, each line whole.\n",
                         sigabbrev_np(signal));
        } else {
            // Written whole or not at all: the file is left as it was.
            resultsFile.cancelWriting();
            resultsFile.commit(); // removes the temporary file
            std::fprintf(m_err, "tessella-run: stopped by SIG%s; %s is left as it was.\n",
                         sigabbrev_np(signal), m_commandLine.resultsFile.toUtf8().constData());
        }
        std::fflush(m_err);
        _exit(CStopSignals::ExitCode(signal));
    }
    QStringList failed;
    for (const auto& thread : document.QueryThreads()) {
        if (thread->Failed()) {
            failed << thread->GroupTitle();
        }
    }
    if (m_commandLine.compare) {
        WriteErrors(document.Results());
    }
    const int compared = m_commandLine.compare
                             ? CComparisonReport(m_out, m_err, m_commandLine.keyColumns)
                                   .Write(document.Results(), GroupOrder(document), failed)
                             : ExitOk;
    return failed.isEmpty() ? compared : ExitDatabaseError;
}

void CDocumentRun::WriteErrors(const CResultStore& store) const
{
    QString connection;
    for (qsizetype row = 0; row < store.Count(); ++row) {
        const CPackedRows::RowView element = store.At(row);
        if (element.Kind() == ElemConnection) {
            connection = element.Text();
        } else if (element.Kind() == ElemError) {
            std::fprintf(m_err, "%s: %s\n", connection.toUtf8().constData(),
                         element.Text().toUtf8().constData());
        }
    }
}

void CDocumentRun::GivePasswords(CConnectionDataArray& entries, const QString& file,
                                 const QString& password, CKeyring& keyring)
{
    CDocumentPasswords(keyring).FillFromKeyring(file, entries);
    if (password.isEmpty()) {
        return;
    }
    for (CConnectionData& entry : entries) {
        if (entry.m_password.isEmpty()) {
            entry.m_password = password;
        }
    }
}

void CDocumentRun::AddDataSources(CTessellaDoc& document) const
{
    for (const auto& source : m_commandLine.dataSources) {
        document.m_connections.append(source.ToEntry());
    }
}

void CDocumentRun::RecordHistory(CTessellaDoc& document) const
{
    CHistoryRecorder::Options options;
    options.path = CRunHistory::DefaultPath();
    options.program = QStringLiteral("tessella-run");
    options.document = [file = QFileInfo(m_commandLine.file).absoluteFilePath()] { return file; };
    document.SetRunListener(std::make_shared<CHistoryRecorder>(std::move(options)));
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
    settings.connectionsAtOnce = m_commandLine.jobs;
    document.SetSettingsOverride(settings);
}

bool CDocumentRun::Follow(CTessellaDoc& document, const CHeadlessResultsWindow& window,
                          COrderedOutput& output)
{
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    QElapsedTimer sinceStop;
    while (!document.IsIdle()) {
        const qint64 lastIntake = window.LastIntakeNs();
        QCoreApplication::processEvents(QEventLoop::AllEvents, kPollMilliseconds);
        QCoreApplication::sendPostedEvents();
        if (CStopSignals::Received() && !sinceStop.isValid()) {
            document.StopRun(0);
            sinceStop.start();
        }
        if (sinceStop.isValid() && sinceStop.elapsed() >= kStopGrace.count()) {
            QCoreApplication::sendPostedEvents(nullptr, CRegisteredEvents::ArrayPost());
            return false;
        }
        CompleteEndedGroups(document, output);
        if (sinceProgress.elapsed() >= kProgressMilliseconds) {
            output.WritePending();
            if (m_progress) {
                ShowProgress(document, false);
            }
            sinceProgress.restart();
        }
        // Rows still pouring in are taken at once: the threads post faster than a napping
        // loop takes, and what waits in the queue is memory too.
        if (window.LastIntakeNs() == lastIntake) {
            usleep(kPollMilliseconds * 1000);
        }
    }
    // The threads have ended; their last batches may still wait in the queue.
    QCoreApplication::sendPostedEvents(nullptr, CRegisteredEvents::ArrayPost());
    return true;
}

void CDocumentRun::CompleteEndedGroups(const CTessellaDoc& document, COrderedOutput& output)
{
    if (document.IsPreparing()) {
        return;
    }
    QHash<QString, bool> anyRunning;
    const CQueryThreadArray& threads = document.QueryThreads();
    for (std::size_t i = 0; i < threads.size(); ++i) {
        // One that waits for its turn has its rows still to come.
        bool& running = anyRunning[threads[i].GroupTitle()];
        running = running || !document.HasEnded(i);
    }
    // A thread posts its last batch before it ends: what it posted is all taken now.
    QCoreApplication::sendPostedEvents(nullptr, CRegisteredEvents::ArrayPost());
    for (auto it = anyRunning.cbegin(); it != anyRunning.cend(); ++it) {
        if (!it.value()) {
            output.Complete(it.key());
        }
    }
}

void CDocumentRun::ShowProgress(const CTessellaDoc& document, bool final)
{
    if (document.IsPreparing()) {
        return; // the threads are still being made
    }
    QString text;
    if (!m_terminal) {
        // Plain lines for a log or a pipe: one per connection and turn.
        for (const auto& thread : document.QueryThreads()) {
            text += QStringLiteral("%1: %2 rows\n")
                        .arg(thread->GroupTitle())
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
    const CQueryThreadArray& threads = document.QueryThreads();
    for (std::size_t i = 0; i < threads.size(); ++i) {
        const char* state = document.IsWaitingToStart(i) ? " (waiting)"
                            : document.HasEnded(i)       ? " (done)"
                                                         : "";
        text += QStringLiteral("\r\x1b[K%1: %2 rows%3\n")
                    .arg(threads[i].GroupTitle())
                    .arg(threads[i].RowsReceived())
                    .arg(QString::fromLatin1(state));
        ++lines;
    }
    m_progressLines = final ? 0 : lines;
    std::fputs(text.toUtf8().constData(), m_err);
    std::fflush(m_err);
}
