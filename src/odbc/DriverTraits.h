#pragma once

#include "odbc/DriverBraces.h"

#include <QString>

namespace odbc {

// What one connection's driver needs beyond plain ODBC, learnt once as the connection is made:
// first from the data source's configuration, which is all there is before the connect, then
// from what the connected driver says of itself. A driver we do not know needs none of it.
struct DriverTraits
{
    // What the installer's configuration says of a data source's driver.
    struct Configuration
    {
        QString driver = {};  // the "Driver" entry: a driver's name or its library's path
        QString library = {}; // the library the driver manager loads for it
        QString option = {};  // the "OPTION" entry, MariaDB's flag bits
        // How the data source wants a result fetched, where it says: SQLite's "StepAPI",
        // psqlODBC's "UseDeclareFetch" and "Fetch" (or their short forms "B6" and "A7").
        QString stepApi = {};
        QString useDeclareFetch = {};
        QString fetch = {};
    };

    static Configuration ReadConfiguration(const QString& dataSource);
    static DriverTraits ForConfiguration(const Configuration& configuration);
    static DriverTraits ForDataSource(const QString& dataSource);
    // `driverName` as SQL_DRIVER_NAME gives it (the library's file name), `dbmsName` as
    // SQL_DBMS_NAME does; what the configuration gave stays.
    void LearnConnectedDriver(const QString& driverName, const QString& dbmsName);

    // --- from the configuration, for the connect ---------------------------
    DriverBraces braces; // the values of the connect string that it reads in braces
    // SQL Server's: NULL concatenation off, and the application's name in the string.
    bool sqlServerLogin = false;
    // MariaDB's driver takes the login time-out attribute, but a server that accepts the
    // connection and never greets held its connect for good; its own CONN_TIMEOUT key bounds the
    // handshake too.
    bool handshakeTimeoutKey = false;
    // MariaDB's without the data source's multi-statement option: the server answers one
    // statement, so a row count is the batch's last result. Asked for more there, the driver
    // takes the semicolons of a trigger body for statements of its own and crashes looking for
    // the next one.
    bool countEndsBatch = false;
    // What the connect string adds so that a large result's first rows come while the server
    // still sends the rest, instead of after the driver has read all of it into its memory:
    // SQLite's stepping row by row, psqlODBC's cursor read a block at a time (of a size that
    // keeps the throughput of one long read). Only what the data source leaves unsaid.
    QString firstRowsKeys;

    // --- from the connected driver ---------------------------------------------
    // Its 8-bit text is UTF-8 under the UTF-8 locale every program of ours runs with, and comes
    // at least as fast as wide text.
    bool utf8Text = false;
    // It fills a wide element to its last character, leaving out the terminator, when a value
    // needs all of it (with characters beyond the Basic Multilingual Plane): a UTF-8 value then
    // shows one character more than the column's display size, as its wide form would.
    bool fullWideElements = false;
    // It has 8-bit entry points only, whose text is UTF-8: the driver manager's own conversion
    // cannot carry characters beyond the Basic Multilingual Plane.
    bool utf8Statements = false;
    // It takes a ';' inside a comment as the end of the statement and refuses the statement for
    // the text after it ("only one SQL statement allowed").
    bool commentSemicolonsEndStatements = false;
    // It closes the statement it cancels, under the thread that steps it, but interrupts the
    // whole connection first: a stop cancels a spare statement instead.
    bool cancelsSpareStatement = false;
    // A cancel of a statement that is fetching closes it, under the thread that fetches (which
    // then writes to freed buffers); its fetch never waits for the server, which has sent the
    // whole result before the first row: a stop lets the fetch end instead.
    bool cancelClosesFetch = false;
    // SQL Server: statement values not regionalized, prepared statements without temporary
    // procedures, cursors kept over a commit.
    bool sqlServerStatements = false;
    // MySQL: backslashes in string literals are data, as in standard SQL.
    bool backslashesAreData = false;
};

} // namespace odbc
