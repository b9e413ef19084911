#include "odbc/OdbcInstaller.h"

#include "odbc/OdbcString.h"

#include <odbcinst.h>

#include <mutex>

namespace odbc {

QString ProfileString(const QString& section, const QString& key, const QString& file)
{
    // The installer functions keep process-wide state (the configuration
    // mode, static path buffers) and are not safe from two threads at once.
    static std::mutex installerLock;
    std::lock_guard guard(installerLock);
    SQLSetConfigMode(ODBC_BOTH_DSN);
    WideBuffer value(260);
    SQLGetPrivateProfileStringW(In(section), In(key), In(u""_qs), value.data(), value.chars(),
                                In(file));
    return value.text();
}

QString DataSourceEntry(const QString& dataSource, const QString& key)
{
    return ProfileString(dataSource, key, u"ODBC.INI"_qs);
}

QString DriverLibrary(const QString& dataSource)
{
    const QString entry = DataSourceEntry(dataSource, u"Driver"_qs);
    if (entry.isEmpty() || entry.contains(u'/')) {
        return entry;
    }
    return ProfileString(entry, u"Driver"_qs, u"ODBCINST.INI"_qs);
}

} // namespace odbc
