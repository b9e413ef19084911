#pragma once

#include <QString>

// The one line per goal that scripts/bench.sh collects into its table:
// GOAL <tab> name <tab> figure <tab> reference <tab> ratio and limit <tab> met | NOT met
struct GoalLine
{
    QString name;      // e.g. "1 fetch SQLite"
    QString figure;    // with its unit
    QString reference; // with its unit
    double ratio = 0;  // figure over reference
    double limit = 0;  // the largest ratio that meets the goal

    bool Met() const { return ratio <= limit; }
    // The line, its newline included.
    QString Text() const;
    // Written to stdout at once, flushed, so that a later crash does not lose it.
    void Print() const;
};

// "1.234 s"
QString Seconds(double seconds);
