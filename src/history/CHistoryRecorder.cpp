#include "history/CHistoryRecorder.h"

#include "execution/CRunSettings.h"
#include "history/CHistoryText.h"
#include "history/CRunHistory.h"

#include <algorithm>

void CHistoryRecorder::RunStarted(const Start& start)
{
    m_runId = 0;
    m_error.clear();
    m_clock.start();
    const int keep = KeepCount();
    if (keep <= 0) {
        return; // no history kept
    }
    m_secrets = start.secrets;
    CHistoryRun run;
    run.started = QDateTime::currentDateTimeUtc();
    run.program = m_options.program;
    const QString document = m_options.document ? m_options.document() : QString();
    run.document =
        document.isEmpty() ? QStringLiteral("Untitled") : CHistoryText::Scrub(document, m_secrets);
    for (const QString& connection : start.connections) {
        run.connections << CHistoryText::Scrub(connection, m_secrets);
    }
    // A password across the cut is masked whole: the masking sees as many characters past
    // the cut as the longest password has.
    qsizetype longest = 0;
    for (const QString& secret : std::as_const(m_secrets)) {
        longest = std::max(longest, secret.size());
    }
    const QString head =
        start.sqlText.first(std::min(start.sqlText.size(), CHistoryText::kMostSqlBytes + longest));
    bool cut = false;
    run.sqlText = CHistoryText::CutToBytes(CHistoryText::Scrub(head, m_secrets),
                                           CHistoryText::kMostSqlBytes, cut);
    run.sqlCut = cut || head.size() < start.sqlText.size();

    CRunHistory history;
    if (!history.Open(m_options.path)) {
        m_error = history.Error();
        return;
    }
    m_runId = history.Begin(run);
    if (m_runId == 0 || !history.Trim(keep)) {
        m_error = history.Error();
    }
}

void CHistoryRecorder::RunEnded(const End& end)
{
    const qint64 id = std::exchange(m_runId, 0);
    const QStringList secrets = std::exchange(m_secrets, {});
    if (id == 0) {
        return;
    }
    CHistoryRun run;
    run.durationMs = m_clock.elapsed();
    run.batches = end.batches;
    run.stopped = end.stopped;
    for (const Outcome& outcome : end.outcomes) {
        run.lines << CHistoryConnection{CHistoryText::Scrub(outcome.connection, secrets),
                                        outcome.rows,
                                        outcome.errors,
                                        outcome.failed,
                                        outcome.started,
                                        outcome.durationMs};
    }
    CRunHistory history;
    if (!history.Open(m_options.path) || !history.Complete(id, run)) {
        m_error = history.Error();
    }
}

int CHistoryRecorder::KeepCount() const
{
    return m_options.keep ? *m_options.keep : CRunSettings::Load().historyRuns;
}
