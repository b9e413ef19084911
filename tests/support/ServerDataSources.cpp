#include "ServerDataSources.h"

#include "OdbcTestConfig.h"

#include <QDir>
#include <QFile>

namespace {

// scripts/test-servers.sh uses the same folder when the variable is unset.
constexpr auto kDefaultStateFolder = "/tmp/tessella-test-servers";

} // namespace

QString ServerDataSources::StateFolder()
{
    const QString folder = qEnvironmentVariable("TESSELLA_SERVERS_DIR");
    return folder.isEmpty() ? QString::fromLatin1(kDefaultStateFolder) : folder;
}

QString ServerDataSources::EnvFilePath()
{
    return QDir(StateFolder()).filePath(QStringLiteral("servers.env"));
}

ServerDataSources::ServerDataSources()
{
    QFile file(EnvFilePath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        m_problem =
            QStringLiteral("no test database servers: %1 is missing "
                           "(run the tests through ctest, or scripts/test-servers.sh start)")
                .arg(file.fileName());
        return;
    }
    for (const QByteArray& rawLine : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        const qsizetype equals = line.indexOf(u'=');
        if (line.isEmpty() || line.startsWith(u'#') || equals <= 0) {
            continue;
        }
        m_values.insert(line.left(equals), line.mid(equals + 1));
    }
    for (const char* key : {"TESSELLA_PG_PORT", "TESSELLA_MARIADB_PORT"}) {
        if (Value(QString::fromLatin1(key)).isEmpty()) {
            m_problem = QStringLiteral("%1 names no %2").arg(file.fileName(), QLatin1String(key));
            return;
        }
    }
}

bool ServerDataSources::AddPostgres(const QString& name, const Attributes& extra)
{
    if (!Available()) {
        return false;
    }
    // psqlODBC's own key names. The Unicode driver hands text over as wide
    // characters in any client locale. No TLS: the server has no certificate,
    // and "prefer" would only add a refused handshake to every connect.
    Attributes attributes{{QStringLiteral("Driver"), QStringLiteral("PostgreSQL Unicode")},
                          {QStringLiteral("Servername"), Value(QStringLiteral("TESSELLA_PG_HOST"))},
                          {QStringLiteral("Port"), Value(QStringLiteral("TESSELLA_PG_PORT"))},
                          {QStringLiteral("Database"), PostgresDatabase()},
                          {QStringLiteral("Username"), PostgresUser()},
                          {QStringLiteral("Password"), PostgresPassword()},
                          {QStringLiteral("SSLmode"), QStringLiteral("disable")}};
    attributes.insert(extra);
    OdbcTestConfig::Instance().SetDataSource(name, attributes);
    return true;
}

bool ServerDataSources::AddMariaDb(const QString& name, const Attributes& extra)
{
    if (!Available()) {
        return false;
    }
    // OPTION is the connector's bit set; 67108864 (1 << 26) lets one
    // SQLExecDirect carry several statements separated by semicolons: without
    // it the server sees "SELECT 1; SELECT 2" as one statement and rejects it.
    // This connector version has no MULTI_STATEMENTS key and ignores one
    // silently. CHARSET names the four-byte utf8mb4 rather than leave
    // characters beyond the Basic Multilingual Plane to the connector's default.
    Attributes attributes{
        {QStringLiteral("Driver"), QStringLiteral("MariaDB Unicode")},
        {QStringLiteral("SERVER"), Value(QStringLiteral("TESSELLA_MARIADB_HOST"))},
        {QStringLiteral("PORT"), Value(QStringLiteral("TESSELLA_MARIADB_PORT"))},
        {QStringLiteral("DATABASE"), MariaDbDatabase()},
        {QStringLiteral("USER"), MariaDbUser()},
        {QStringLiteral("PASSWORD"), MariaDbPassword()},
        {QStringLiteral("OPTION"), QStringLiteral("67108864")},
        {QStringLiteral("CHARSET"), QStringLiteral("utf8mb4")}};
    attributes.insert(extra);
    OdbcTestConfig::Instance().SetDataSource(name, attributes);
    return true;
}
