#pragma once

#include "history/CHistoryRun.h"
#include "history/CSqliteDatabase.h"

#include <QList>
#include <QString>

#include <optional>

// The history of runs in a SQLite database of the program's own, shared by the workbench and the
// runner (several processes may write at once: the journal is a write-ahead log). What is stored
// is stored as given: keeping passwords out and cutting the text is the recorder's job.
class CRunHistory
{
public:
    // The schema this build writes, in PRAGMA user_version.
    static constexpr int kSchemaVersion = 1;

    // The database of the user's data folder.
    static QString DefaultPath();

    // Opens or creates the database, making its folder; false with Error() set when it cannot
    // (or when it holds a schema newer than this build's).
    bool Open(const QString& path);
    const QString& Error() const { return m_error; }

    // Writes the beginning of a run (id, durations, counts and lines are not read); its new id,
    // or 0 on failure.
    qint64 Begin(const CHistoryRun& run);
    // Completes run `id` with its counts and its connections' lines; the totals are summed.
    bool Complete(qint64 id, const CHistoryRun& run);
    // Deletes all but the newest `keep` runs.
    bool Trim(int keep);

    // The newest runs first, at most `limit`, without their text and lines; with a filter, only
    // those whose text, document or connections hold it (ASCII letters of either case).
    QList<CHistoryRun> Runs(const QString& filter, int limit) const;
    // One run whole.
    std::optional<CHistoryRun> Run(qint64 id) const;

private:
    bool CreateSchema();
    bool Fail(const QString& what);

    CSqliteDatabase m_database;
    QString m_error;
};
