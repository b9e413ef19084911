#pragma once

// The installer's configuration: the data sources of ODBC.INI and the drivers of ODBCINST.INI,
// the user's entries before the system's. The only place that calls the installer library.

#include <QString>

namespace odbc {

// One entry of a section of `file` ("ODBC.INI" or "ODBCINST.INI"); empty when there is none.
QString ProfileString(const QString& section, const QString& key, const QString& file);

// An entry of a data source; empty when it has none.
QString DataSourceEntry(const QString& dataSource, const QString& key);

// The library the driver manager loads for a data source: its "Driver" entry is the path, or
// names a driver whose own entry gives it.
QString DriverLibrary(const QString& dataSource);

} // namespace odbc
