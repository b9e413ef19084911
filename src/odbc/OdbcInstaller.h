#pragma once

// The installer's configuration: the data sources of ODBC.INI and the drivers of ODBCINST.INI,
// the user's entries before the system's. The only place that calls the installer library.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace odbc {

// One entry of a section of `file` ("ODBC.INI" or "ODBCINST.INI"); empty when there is none.
QString ProfileString(const QString& section, const QString& key, const QString& file);

// An entry of a data source; empty when it has none.
QString DataSourceEntry(const QString& dataSource, const QString& key);

// The library the driver manager loads for a data source: its "Driver" entry is the path, or
// names a driver whose own entry gives it.
QString DriverLibrary(const QString& dataSource);

// The names of the drivers ODBCINST.INI lists, in its order.
QStringList InstalledDrivers();

// A data source's keys and values in the order its section holds them, "Driver" among them.
using DataSourceKeys = QList<QPair<QString, QString>>;

// The data sources of the current user, in the order of the user's ODBC.INI, and their keys.
// The system's data sources are left out: they are not the user's to change.
QStringList UserDataSources();
DataSourceKeys UserDataSourceKeys(const QString& dataSource);

// Writes a user data source afresh: the section holds `driver` and then `keys` (a "Driver" key
// among them is left out), whatever it held before. False with the installer's message in
// `error` when the name or a key is refused.
bool WriteUserDataSource(const QString& dataSource, const QString& driver,
                         const DataSourceKeys& keys, QString& error);

// Removes a user data source; false with the installer's message when it cannot.
bool RemoveUserDataSource(const QString& dataSource, QString& error);

} // namespace odbc
