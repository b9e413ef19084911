#include "odbc/DriverBraces.h"

#include "odbc/ConnectString.h"

#include <QFileInfo>

namespace odbc {

DriverBraces DriverBraces::ForLibrary(const QString& libraryPath)
{
    const QString file = QFileInfo(libraryPath).fileName().toLower();
    DriverBraces braces;
    if (file.startsWith(u"libmaodbc")) {
        braces.m_dataSource = braces.m_user = braces.m_password = true;
    } else if (file.startsWith(u"psqlodbc")) {
        braces.m_password = true;
    }
    return braces;
}

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
