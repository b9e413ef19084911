#include "OdbcTestConfig.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <atomic>
#include <cstdlib>
#include <stdexcept>

namespace {

OdbcTestConfig* s_instance = nullptr;

void WriteFile(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
    file.write(text.toUtf8());
}

} // namespace

OdbcTestConfig::OdbcTestConfig()
{
    if (!m_dir.isValid()) {
        throw std::runtime_error("cannot create the private ODBC folder");
    }
    // Debian's own driver entries may name files that do not exist, so the
    // drivers are named here by absolute path.
    WriteFile(m_dir.filePath(QStringLiteral("odbcinst.ini")),
              QStringLiteral("[SQLite3]\nDescription = SQLite 3\nDriver = %1\n\n"
                             "[PostgreSQL Unicode]\nDescription = PostgreSQL\nDriver = %2\n\n"
                             "[MariaDB Unicode]\nDescription = MariaDB\nDriver = %3\n")
                  .arg(DriverPath(QStringLiteral("libsqlite3odbc.so")),
                       DriverPath(QStringLiteral("psqlodbcw.so")),
                       DriverPath(QStringLiteral("libmaodbc.so"))));
    WriteDataSources();
    // Both variables: with ODBCSYSINI alone unixODBC still falls back to the
    // home folder's ~/.odbc.ini for user data sources.
    qputenv("ODBCSYSINI", m_dir.path().toLocal8Bit());
    qputenv("ODBCINI", m_dir.filePath(QStringLiteral("user-odbc.ini")).toLocal8Bit());
    s_instance = this;
}

OdbcTestConfig::~OdbcTestConfig()
{
    if (s_instance == this) {
        s_instance = nullptr;
    }
}

OdbcTestConfig& OdbcTestConfig::Instance()
{
    if (!s_instance) {
        throw std::logic_error("OdbcTestConfig used before TestMain created it");
    }
    return *s_instance;
}

QString OdbcTestConfig::DriverPath(const QString& library)
{
    return QStringLiteral(TESSELLA_ODBC_DRIVER_DIR "/") + library;
}

void OdbcTestConfig::SetDataSource(const QString& name, const QMap<QString, QString>& attributes)
{
    m_dataSources.insert(name, attributes);
    WriteDataSources();
}

void OdbcTestConfig::RemoveDataSource(const QString& name)
{
    m_dataSources.remove(name);
    WriteDataSources();
}

void OdbcTestConfig::SetDataSources(const QMap<QString, QMap<QString, QString>>& sources)
{
    m_dataSources.insert(sources);
    WriteDataSources();
}

void OdbcTestConfig::RemoveDataSources(const QStringList& names)
{
    for (const QString& name : names) {
        m_dataSources.remove(name);
    }
    WriteDataSources();
}

void OdbcTestConfig::WriteDataSources() const
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
    // Test data sources are user data sources; the private system file stays
    // empty so that nothing of /etc is read.
    WriteFile(m_dir.filePath(QStringLiteral("user-odbc.ini")), text);
    WriteFile(m_dir.filePath(QStringLiteral("odbc.ini")), QString());
}

SqliteDataSource::SqliteDataSource(const QString& name) : m_name(name)
{
    static std::atomic<int> counter{0};
    if (m_name.isEmpty()) {
        m_name = QStringLiteral("TestSqlite%1").arg(++counter);
    }
    OdbcTestConfig::Instance().SetDataSource(
        m_name, {{QStringLiteral("Driver"), QStringLiteral("SQLite3")},
                 {QStringLiteral("Database"), DatabasePath()},
                 {QStringLiteral("Timeout"), QStringLiteral("2000")},
                 // Rows one by one, instead of the whole result read first.
                 {QStringLiteral("StepAPI"), QStringLiteral("1")}});
}

SqliteDataSource::~SqliteDataSource()
{
    OdbcTestConfig::Instance().RemoveDataSource(m_name);
}
