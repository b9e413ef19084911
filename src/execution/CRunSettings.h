#pragma once

#include <QString>
#include <QtGlobal>

// The run settings of the per-user store, group "Settings". They are read
// where they are used, so a change applies from the next run on.
struct CRunSettings
{
    QString separator = QStringLiteral(";"); // "SEPARATOR"
    bool useSeparator = true;                // "USESEP"
    bool ignoreInfo = false;                 // "IgnoreInfo"
    bool reconnect = false;                  // "Reconnect"
    // "ResultMemoryLimitMB": what a run's results may hold; 0 for no limit. Settings that are
    // not loaded (the command-line runner's own) have none; a store without the value gives
    // DefaultResultMemoryLimitMB().
    qint64 resultMemoryLimitMB = 0;
    // "ConnectionsAtOnce": how many entries' query threads a run lets run at once, the others
    // waiting for their turn in entry order; 0 for all together.
    int connectionsAtOnce = 0;
    // "LongTextLimit": how many characters of a long text value a row shows, and the fewest a
    // text column is read with (a driver may give a column size below its values' length).
    int longTextLimit = kDefaultLongTextLimit;
    static constexpr int kDefaultLongTextLimit = 233;
    // "HistoryRuns": how many of the newest runs the history keeps; 0 records none.
    int historyRuns = kDefaultHistoryRuns;
    static constexpr int kDefaultHistoryRuns = 1000;
    // What a bound value holds at most.
    static constexpr int kMostLongTextLimit = 8192;

    // The stored values, defaults where a value is absent.
    static CRunSettings Load();
    // Writes the three flags and the four numbers, and the separator when it is neither empty nor
    // one blank.
    void Save() const;
    // A quarter of the machine's physical memory.
    static qint64 DefaultResultMemoryLimitMB();
    // The separator the splitting uses: empty when "Use batch separator" is off.
    QString EffectiveSeparator() const { return useSeparator ? separator : QString(); }
};
