#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Told by a document where each of its runs begins and ends, on the user-interface thread: a
// record of what ran where. Both calls come in pairs; an end comes once every thread of the run
// has ended (or been given up), at the latest when the document goes.
class CRunListener
{
public:
    struct Start
    {
        // The enabled entries' group titles, in the document's order.
        QStringList connections;
        // The whole text of the run; only valid during the call.
        QString sqlText;
        // Every password the run may use: none of them is to be kept anywhere.
        QStringList secrets;
    };

    struct Outcome
    {
        QString connection; // its group title
        qint64 rows = 0;
        int errors = 0; // error lines of its results
        bool failed = false;
        bool started = false; // false: a stop came before its turn
        qint64 durationMs = 0;
    };

    struct End
    {
        int batches = 0;
        bool stopped = false; // a stop was asked for during the run
        QList<Outcome> outcomes;
    };

    virtual ~CRunListener() = default;
    virtual void RunStarted(const Start& start) = 0;
    virtual void RunEnded(const End& end) = 0;
};
