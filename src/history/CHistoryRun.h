#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// One connection's part of a recorded run.
struct CHistoryConnection
{
    QString connection; // the group title of its entry
    qint64 rows = 0;
    int errors = 0;
    bool failed = false;
    bool started = false;
    qint64 durationMs = 0;
};

// One recorded run. A run is recorded when it begins and completed when it ends: one that was
// never completed (its program was killed or crashed) stays unfinished.
struct CHistoryRun
{
    qint64 id = 0;
    QDateTime started; // UTC
    QString program;   // the workbench or the runner
    QString document;  // its file, or "Untitled"
    QStringList connections;
    QString sqlText; // empty in a list of runs; the first 1 MB of UTF-8 when recorded
    bool sqlCut = false;
    bool finished = false;
    bool stopped = false;
    qint64 durationMs = 0; // of the whole run, once finished
    int batches = 0;
    qint64 rows = 0;
    int errors = 0;
    QList<CHistoryConnection> lines; // only when one run is read
};
