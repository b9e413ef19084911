#pragma once

#include <QString>

#include <optional>

namespace odbc {

// Which values of a "DSN=...;UID=...;PWD=..." connection string a driver reads whole when they
// stand in braces, with "}}" for a brace inside. Tried on each driver we know: MariaDB's reads all
// three; PostgreSQL's only the password (a braced login keeps its braces as part of the name, a
// braced data source name is not found); SQLite's none (it ends a value at the next semicolon,
// braces or not, so a login "me;Database=x;" chose another file). A driver we do not know is taken
// to read none.
class DriverBraces
{
public:
    // By the file name of the driver's library, as the driver manager loads it.
    static DriverBraces ForLibrary(const QString& libraryPath);

    // "key=dataSource;UID=user;PWD=password", every value in braces that needs them; nothing when
    // a value could end its attribute early or add one and this driver would not read it braced.
    // Such values must go to the driver as separate arguments (SQLConnect), never in a string.
    std::optional<QString> ConnectString(const QString& key, const QString& dataSource,
                                         const QString& user, const QString& password) const;

private:
    bool m_dataSource = false;
    bool m_user = false;
    bool m_password = false;
};

} // namespace odbc
