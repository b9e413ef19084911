#include "PrivateMariaDb.h"

#include "OdbcTestConfig.h"

#include <QFile>
#include <QProcess>

namespace {

constexpr int kScriptMilliseconds = 120000;

} // namespace

PrivateMariaDb::PrivateMariaDb() : m_dir(QStringLiteral("/tmp/tessella-private-mariadb-XXXXXX"))
{
}

PrivateMariaDb::~PrivateMariaDb()
{
    Stop();
}

bool PrivateMariaDb::Start()
{
    if (!RunScript(QStringLiteral("start"))) {
        return false;
    }
    QFile portFile(m_dir.filePath(QStringLiteral("mariadb.port")));
    if (!portFile.open(QIODevice::ReadOnly)) {
        m_problem = u"no port file in "_qs + m_dir.path();
        return false;
    }
    m_port = portFile.readAll().trimmed().toInt();
    return m_port > 0;
}

bool PrivateMariaDb::Stop()
{
    return RunScript(QStringLiteral("stop"));
}

bool PrivateMariaDb::RunScript(const QString& action)
{
    QStringList arguments{QStringLiteral(TESSELLA_SOURCE_DIR "/scripts/test-servers.sh"),
                          QStringLiteral("mariadb-instance"), action, m_dir.path()};
    // The same port again after a stop: the data sources point there.
    if (action == u"start"_qs && m_port > 0) {
        arguments << QString::number(m_port);
    }
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(QStringLiteral("bash"), arguments);
    const bool ok = script.waitForFinished(kScriptMilliseconds) &&
                    script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0;
    if (!ok) {
        m_problem = QString::fromLocal8Bit(script.readAll());
    }
    return ok;
}

void PrivateMariaDb::AddDataSource(const QString& name) const
{
    // 67108864 allows several statements in one call, as the shared servers'
    // data sources do.
    OdbcTestConfig::Instance().SetDataSource(
        name, {{QStringLiteral("Driver"), QStringLiteral("MariaDB Unicode")},
               {QStringLiteral("SERVER"), QStringLiteral("127.0.0.1")},
               {QStringLiteral("PORT"), QString::number(m_port)},
               {QStringLiteral("DATABASE"), QStringLiteral("tessella")},
               {QStringLiteral("USER"), QStringLiteral("tessella")},
               {QStringLiteral("PASSWORD"), QStringLiteral("tessella-pw")},
               {QStringLiteral("OPTION"), QStringLiteral("67108864")},
               {QStringLiteral("CHARSET"), QStringLiteral("utf8mb4")}});
}
