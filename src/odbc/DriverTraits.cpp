#include "odbc/DriverTraits.h"

#include "odbc/OdbcInstaller.h"

#include <QFileInfo>

#include <initializer_list>

namespace odbc {

namespace {

// Bit 26 of MariaDB's OPTION: one SQLExecDirect may carry several statements.
constexpr qulonglong kMultiStatementsOption = 1ULL << 26;

bool ContainsAny(const QString& text, std::initializer_list<QStringView> parts)
{
    for (const QStringView part : parts) {
        if (text.contains(part, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

// Tried on each driver we know: MariaDB's reads all three values braced; PostgreSQL's only the
// password (a braced login keeps its braces as part of the name, a braced data source name is not
// found); SQLite's none (it ends a value at the next semicolon, braces or not, so a login
// "me;Database=x;" chose another file).
DriverBraces BracesOfLibrary(const QString& libraryPath)
{
    const QString file = QFileInfo(libraryPath).fileName().toLower();
    if (file.startsWith(u"libmaodbc")) {
        return DriverBraces(true, true, true);
    }
    if (file.startsWith(u"psqlodbc")) {
        return DriverBraces(false, false, true);
    }
    return DriverBraces();
}

bool AllowsMultipleStatements(const QString& option)
{
    bool numeric = false;
    const qulonglong bits = option.trimmed().toULongLong(&numeric, 0);
    return numeric && (bits & kMultiStatementsOption);
}

} // namespace

DriverTraits::Configuration DriverTraits::ReadConfiguration(const QString& dataSource)
{
    return {DataSourceEntry(dataSource, u"Driver"_qs), DriverLibrary(dataSource),
            DataSourceEntry(dataSource, u"OPTION"_qs)};
}

DriverTraits DriverTraits::ForConfiguration(const Configuration& configuration)
{
    const QString& driver = configuration.driver;
    DriverTraits traits;
    traits.braces = BracesOfLibrary(configuration.library);
    traits.sqlServerLogin = ContainsAny(driver, {u"sqlsrv32"});
    traits.handshakeTimeoutKey = ContainsAny(driver, {u"mariadb", u"libmaodbc"});
    traits.countEndsBatch = ContainsAny(driver, {u"mariadb", u"maodbc"}) &&
                            !AllowsMultipleStatements(configuration.option);
    return traits;
}

DriverTraits DriverTraits::ForDataSource(const QString& dataSource)
{
    return ForConfiguration(ReadConfiguration(dataSource));
}

void DriverTraits::LearnConnectedDriver(const QString& driverName, const QString& dbmsName)
{
    // UTF-8 text saves a conversion per value: SQLite's 8-bit driver the driver manager's;
    // MariaDB's a converter it opens and closes for every wide value, which makes its wide text
    // four times as slow.
    utf8Text = ContainsAny(driverName, {u"sqlite3odbc", u"psqlodbc", u"maodbc"});
    fullWideElements = ContainsAny(driverName, {u"maodbc"});
    utf8Statements = ContainsAny(driverName, {u"sqlite3odbc"});
    commentSemicolonsEndStatements = ContainsAny(driverName, {u"sqlite3odbc"});
    cancelsSpareStatement = ContainsAny(driverName, {u"sqlite"});
    sqlServerStatements = ContainsAny(dbmsName, {u"microsoft sql"});
    backslashesAreData = ContainsAny(dbmsName, {u"mysql"});
}

} // namespace odbc
