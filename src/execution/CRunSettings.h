#pragma once

#include <QString>

// The four run settings of the per-user store, group "Settings". They are read
// where they are used, so a change applies from the next run on.
struct CRunSettings
{
    QString separator = QStringLiteral(";"); // "SEPARATOR"
    bool useSeparator = true;                // "USESEP"
    bool ignoreInfo = false;                 // "IgnoreInfo"
    bool reconnect = false;                  // "Reconnect"

    // The stored values, defaults where a value is absent.
    static CRunSettings Load();
    // Writes the three flags, and the separator when it is neither empty nor one blank.
    void Save() const;
    // The separator the splitting uses: empty when "Use batch separator" is off.
    QString EffectiveSeparator() const { return useSeparator ? separator : QString(); }
};
