#include "CRunSettings.h"

#include <QSettings>

CRunSettings CRunSettings::Load()
{
    QSettings store(QStringLiteral("MarrowindTeam"), QStringLiteral("Tessella"));
    store.beginGroup(QStringLiteral("Settings"));
    CRunSettings settings;
    settings.separator = store.value(QStringLiteral("SEPARATOR"), settings.separator).toString();
    settings.useSeparator = store.value(QStringLiteral("USESEP"), 1).toInt() != 0;
    settings.ignoreInfo = store.value(QStringLiteral("IgnoreInfo"), 0).toInt() != 0;
    settings.reconnect = store.value(QStringLiteral("Reconnect"), 0).toInt() != 0;
    return settings;
}

void CRunSettings::Save() const
{
    QSettings store(QStringLiteral("MarrowindTeam"), QStringLiteral("Tessella"));
    store.beginGroup(QStringLiteral("Settings"));
    if (!separator.isEmpty() && separator != u" "_qs) {
        store.setValue(QStringLiteral("SEPARATOR"), separator);
    }
    store.setValue(QStringLiteral("USESEP"), useSeparator ? 1 : 0);
    store.setValue(QStringLiteral("IgnoreInfo"), ignoreInfo ? 1 : 0);
    store.setValue(QStringLiteral("Reconnect"), reconnect ? 1 : 0);
}
