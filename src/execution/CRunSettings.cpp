#include "execution/CRunSettings.h"

#include <QSettings>

#include <algorithm>

#include <unistd.h>

CRunSettings CRunSettings::Load()
{
    QSettings store(QStringLiteral("MarrowindTeam"), QStringLiteral("Tessella"));
    store.beginGroup(QStringLiteral("Settings"));
    CRunSettings settings;
    settings.separator = store.value(QStringLiteral("SEPARATOR"), settings.separator).toString();
    settings.useSeparator = store.value(QStringLiteral("USESEP"), 1).toInt() != 0;
    settings.ignoreInfo = store.value(QStringLiteral("IgnoreInfo"), 0).toInt() != 0;
    settings.reconnect = store.value(QStringLiteral("Reconnect"), 0).toInt() != 0;
    bool number = false;
    const qint64 limit =
        store.value(QStringLiteral("ResultMemoryLimitMB"), DefaultResultMemoryLimitMB())
            .toLongLong(&number);
    settings.resultMemoryLimitMB = number && limit >= 0 ? limit : DefaultResultMemoryLimitMB();
    const int atOnce = store.value(QStringLiteral("ConnectionsAtOnce"), 0).toInt(&number);
    settings.connectionsAtOnce = number && atOnce > 0 ? atOnce : 0;
    const int longText =
        store.value(QStringLiteral("LongTextLimit"), kDefaultLongTextLimit).toInt(&number);
    settings.longTextLimit =
        number && longText > 0 ? std::min(longText, kMostLongTextLimit) : kDefaultLongTextLimit;
    const int runs = store.value(QStringLiteral("HistoryRuns"), kDefaultHistoryRuns).toInt(&number);
    settings.historyRuns = number && runs >= 0 ? runs : kDefaultHistoryRuns;
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
    store.setValue(QStringLiteral("ResultMemoryLimitMB"), resultMemoryLimitMB);
    store.setValue(QStringLiteral("ConnectionsAtOnce"), std::max(connectionsAtOnce, 0));
    store.setValue(QStringLiteral("LongTextLimit"),
                   std::clamp(longTextLimit, 1, kMostLongTextLimit));
    store.setValue(QStringLiteral("HistoryRuns"), std::max(historyRuns, 0));
}

qint64 CRunSettings::DefaultResultMemoryLimitMB()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) {
        return 0; // unknown: no limit rather than a made-up one
    }
    return qint64(pages) * pageSize / 4 / (1024 * 1024);
}
