#pragma once

#include <QString>

#include <optional>

namespace odbc {

// Which values of a "DSN=...;UID=...;PWD=..." connection string a driver reads whole when they
// stand in braces, with "}}" for a brace inside (DriverTraits knows it of each driver we know). A
// driver we do not know is taken to read none.
class DriverBraces
{
public:
    DriverBraces() = default;
    DriverBraces(bool dataSource, bool user, bool password)
        : m_dataSource(dataSource), m_user(user), m_password(password)
    {
    }

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
