#include "odbc/DriverBraces.h"

#include "odbc/ConnectString.h"

namespace odbc {

std::optional<QString> DriverBraces::ConnectString(const QString& key, const QString& dataSource,
                                                   const QString& user,
                                                   const QString& password) const
{
    const auto value = [](const QString& text, bool braced) -> std::optional<QString> {
        const QString quoted = QuoteConnectValue(text);
        if (quoted != text && !braced) {
            return std::nullopt;
        }
        return quoted;
    };
    const auto dsn = value(dataSource, m_dataSource);
    const auto uid = value(user, m_user);
    const auto pwd = value(password, m_password);
    if (!dsn || !uid || !pwd) {
        return std::nullopt;
    }
    return key + u'=' + *dsn + u";UID="_qs + *uid + u";PWD="_qs + *pwd;
}

} // namespace odbc
