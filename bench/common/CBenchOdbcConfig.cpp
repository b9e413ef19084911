#include "CBenchOdbcConfig.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

void WriteFile(const QString& path, const QString& text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(text.toUtf8());
    }
}

struct DriverNames
{
    CBenchOdbcConfig::Driver driver;
    const char16_t* name;
    const char16_t* key;
};

constexpr DriverNames kDriverNames[] = {
    {CBenchOdbcConfig::Driver::Sqlite, u"SQLite", u"sqlite"},
    {CBenchOdbcConfig::Driver::Postgres, u"PostgreSQL", u"postgres"},
    {CBenchOdbcConfig::Driver::MariaDb, u"MariaDB", u"mariadb"},
};

const DriverNames& NamesOf(CBenchOdbcConfig::Driver driver)
{
    for (const DriverNames& names : kDriverNames) {
        if (names.driver == driver) {
            return names;
        }
    }
    return kDriverNames[0];
}

QString DriverPath(const char* library)
{
    return QStringLiteral(TESSELLA_BENCH_DRIVER_DIR "/") + QString::fromLatin1(library);
}

} // namespace

CBenchOdbcConfig::CBenchOdbcConfig()
{
    if (!m_dir.isValid()) {
        return;
    }
    // Debian's own driver entries may name files that do not exist: absolute paths here.
    WriteFile(m_dir.filePath(u"odbcinst.ini"_qs),
              QStringLiteral("[SQLite3]\nDriver = %1\n\n[PostgreSQL Unicode]\nDriver = %2\n\n"
                             "[MariaDB Unicode]\nDriver = %3\n")
                  .arg(DriverPath("libsqlite3odbc.so"), DriverPath("psqlodbcw.so"),
                       DriverPath("libmaodbc.so")));
    Write();
    // Both: with ODBCSYSINI alone unixODBC still reads the home folder's ~/.odbc.ini.
    qputenv("ODBCSYSINI", m_dir.path().toLocal8Bit());
    qputenv("ODBCINI", m_dir.filePath(u"user-odbc.ini"_qs).toLocal8Bit());
    ReadServers();
}

void CBenchOdbcConfig::ReadServers()
{
    QString folder = qEnvironmentVariable("TESSELLA_SERVERS_DIR");
    if (folder.isEmpty()) {
        folder = u"/tmp/tessella-test-servers"_qs;
    }
    m_serversFolder = folder;
    QFile file(QDir(folder).filePath(u"servers.env"_qs));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        m_serverProblem = file.fileName() + u" is missing (scripts/test-servers.sh start)"_qs;
        return;
    }
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0) {
            m_values.insert(line.left(equals), line.mid(equals + 1));
        }
    }
    if (Value("TESSELLA_PG_PORT").isEmpty() || Value("TESSELLA_MARIADB_PORT").isEmpty()) {
        m_serverProblem = file.fileName() + u" names no server ports"_qs;
    }
}

QString CBenchOdbcConfig::DriverName(Driver driver)
{
    return QString::fromUtf16(NamesOf(driver).name);
}

QString CBenchOdbcConfig::DriverKey(Driver driver)
{
    return QString::fromUtf16(NamesOf(driver).key);
}

QString CBenchOdbcConfig::BenchFolder()
{
    const QString folder = qEnvironmentVariable("TESSELLA_BENCH_DIR");
    return folder.isEmpty() ? u"/tmp/tessella-bench-fetch"_qs : folder;
}

QString CBenchOdbcConfig::ServerDatabase(Driver driver) const
{
    return driver == Driver::Postgres ? Value("TESSELLA_PG_DATABASE")
                                      : Value("TESSELLA_MARIADB_DATABASE");
}

CBenchOdbcConfig::Login CBenchOdbcConfig::ServerLogin(Driver driver) const
{
    if (driver == Driver::Postgres) {
        return {Value("TESSELLA_PG_USER"), Value("TESSELLA_PG_PASSWORD")};
    }
    if (driver == Driver::MariaDb) {
        return {Value("TESSELLA_MARIADB_USER"), Value("TESSELLA_MARIADB_PASSWORD")};
    }
    return {};
}

void CBenchOdbcConfig::AddSqlite(const QString& name, const QString& file, bool stepApi)
{
    QMap<QString, QString> attributes{
        {u"Driver"_qs, u"SQLite3"_qs}, {u"Database"_qs, file}, {u"Timeout"_qs, u"5000"_qs}};
    if (stepApi) {
        // Rows one by one instead of the whole result read before the first.
        attributes.insert(u"StepAPI"_qs, u"1"_qs);
    }
    m_dataSources.insert(name, attributes);
    Write();
}

bool CBenchOdbcConfig::AddServer(const QString& name, Driver driver, const QString& database)
{
    if (!ServersAvailable() || driver == Driver::Sqlite) {
        return false;
    }
    const Login login = ServerLogin(driver);
    if (driver == Driver::Postgres) {
        m_dataSources.insert(name, {{u"Driver"_qs, u"PostgreSQL Unicode"_qs},
                                    {u"Servername"_qs, Value("TESSELLA_PG_HOST")},
                                    {u"Port"_qs, Value("TESSELLA_PG_PORT")},
                                    {u"Database"_qs, database},
                                    {u"Username"_qs, login.user},
                                    {u"Password"_qs, login.password},
                                    {u"SSLmode"_qs, u"disable"_qs}});
    } else {
        m_dataSources.insert(name, {{u"Driver"_qs, u"MariaDB Unicode"_qs},
                                    {u"SERVER"_qs, Value("TESSELLA_MARIADB_HOST")},
                                    {u"PORT"_qs, Value("TESSELLA_MARIADB_PORT")},
                                    {u"DATABASE"_qs, database},
                                    {u"USER"_qs, login.user},
                                    {u"PASSWORD"_qs, login.password},
                                    {u"CHARSET"_qs, u"utf8mb4"_qs}});
    }
    Write();
    return true;
}

void CBenchOdbcConfig::Write() const
{
    QString text;
    QTextStream out(&text);
    for (auto it = m_dataSources.cbegin(); it != m_dataSources.cend(); ++it) {
        out << '[' << it.key() << "]\n";
        for (auto attr = it->cbegin(); attr != it->cend(); ++attr) {
            out << attr.key() << " = " << attr.value() << '\n';
        }
        out << '\n';
    }
    out.flush();
    WriteFile(m_dir.filePath(u"user-odbc.ini"_qs), text);
    WriteFile(m_dir.filePath(u"odbc.ini"_qs), QString());
}
