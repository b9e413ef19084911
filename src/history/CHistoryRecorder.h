#pragma once

#include "execution/CRunListener.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Records a document's runs in the history: the run's beginning as it starts (so that a program
// killed mid-run leaves it there, unfinished), its counts and lines as it ends. No password of
// the run goes into the record: each is masked in the text and the names. A history that
// cannot be written costs the record, never the run.
class CHistoryRecorder : public CRunListener
{
public:
    struct Options
    {
        QString path;    // the database
        QString program; // which program ran it
        // The document's file at the run's start; empty for "Untitled".
        std::function<QString()> document;
        // How many runs are kept; without one, the run settings' count at each start.
        std::optional<int> keep;
    };

    explicit CHistoryRecorder(Options options) : m_options(std::move(options)) {}

    void RunStarted(const Start& start) override;
    void RunEnded(const End& end) override;

    // The run being recorded, 0 when none (not started, not recorded, or ended).
    qint64 CurrentRun() const { return m_runId; }
    // Why the last write failed; empty after one that worked.
    const QString& Error() const { return m_error; }

private:
    int KeepCount() const;

    Options m_options;
    QStringList m_secrets;
    QElapsedTimer m_clock;
    qint64 m_runId = 0;
    QString m_error;
};
