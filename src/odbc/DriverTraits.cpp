#include "odbc/DriverTraits.h"

#include "odbc/OdbcInstaller.h"

#include <QFileInfo>

#include <initializer_list>

namespace odbc {

namespace {

// Bit 26 of MariaDB's OPTION: one SQLExecDirect may carry several statements.
constexpr qulonglong kMultiStatementsOption = 1ULL << 26;
// psqlODBC's cursor block: 100 rows (its default) a round trip take three times as long as
// one plain read of the whole result; from 10,000 on the two are alike, and the first block of a
// million-row table still comes in a few milliseconds.
constexpr int kDeclareFetchRows = 10000;

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

QString FirstRowsKeys(const DriverTraits::Configuration& configuration)
{
    const QString library = QFileInfo(configuration.library).fileName();
    const QString& driver = configuration.driver;
    if (ContainsAny(library, {u"sqlite3odbc"}) || ContainsAny(driver, {u"sqlite3"})) {
        return configuration.stepApi.isEmpty() ? u";StepAPI=1"_qs : QString();
    }
    if (ContainsAny(library, {u"psqlodbc"}) || ContainsAny(driver, {u"postgresql"})) {
        QString keys;
        if (configuration.useDeclareFetch.isEmpty()) {
            keys += u";UseDeclareFetch=1"_qs;
        }
        if (configuration.fetch.isEmpty()) {
            keys += u";Fetch="_qs + QString::number(kDeclareFetchRows);
        }
        return keys;
    }
    return {};
}

// The first of the entries that the data source has.
QString FirstEntry(const QString& dataSource, std::initializer_list<QStringView> keys)
{
    for (const QStringView key : keys) {
        const QString value = DataSourceEntry(dataSource, key.toString());
        if (!value.isEmpty()) {
            return value;
        }
    }
    return {};
}

} // namespace

DriverTraits::Configuration DriverTraits::ReadConfiguration(const QString& dataSource)
{
    return {DataSourceEntry(dataSource, u"Driver"_qs),
            DriverLibrary(dataSource),
            DataSourceEntry(dataSource, u"OPTION"_qs),
            DataSourceEntry(dataSource, u"StepAPI"_qs),
            FirstEntry(dataSource, {u"UseDeclareFetch", u"B6"}),
            FirstEntry(dataSource, {u"Fetch", u"A7"})};
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
    traits.firstRowsKeys = FirstRowsKeys(configuration);
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
    cancelClosesFetch = ContainsAny(driverName, {u"maodbc"});
    sqlServerStatements = ContainsAny(dbmsName, {u"microsoft sql"});
    backslashesAreData = ContainsAny(dbmsName, {u"mysql"});
}

} // namespace odbc
