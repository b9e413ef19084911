// tessella-run --compare on the same table held by SQLite, PostgreSQL and MariaDB: replicas that
// agree, though each driver cuts a long value at its own length and NULL and empty text stand
// side by side, and replicas one row of which differs.

#include "OdbcTestConfig.h"
#include "RunnerProcess.h"
#include "ServerDataSources.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Outcome = RunnerOutcome;

class CompareReplicas : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        OdbcTestConfig::Instance().SetDataSources(
            {{u"ReplicaLite"_qs,
              {{u"Driver"_qs, u"SQLite3"_qs}, {u"Database"_qs, m_dir.filePath(u"r.db"_qs)}}}});
        if (!m_servers.AddPostgres(u"ReplicaPg"_qs) || !m_servers.AddMariaDb(u"ReplicaMaria"_qs)) {
            GTEST_SKIP() << m_servers.Problem().toStdString();
        }
        const QString longValue(300, u'y');
        const Outcome created = RunOn(kAll, u"DROP TABLE IF EXISTS t_replica ;\n"
                                            u"CREATE TABLE t_replica (id INTEGER, name "
                                            u"VARCHAR(20), note TEXT) ;\n"
                                            u"INSERT INTO t_replica VALUES (1, 'Ann', NULL) ;\n"
                                            u"INSERT INTO t_replica VALUES (2, '', 'x') ;\n"
                                            u"INSERT INTO t_replica VALUES (3, 'Cid', '"_qs +
                                                longValue + u"') ;\n"_qs);
        ASSERT_EQ(created.exitCode, 0) << created.out.toStdString();
        m_created = true;
    }

    void TearDown() override
    {
        if (m_created) {
            RunOn(kAll, u"DROP TABLE t_replica"_qs);
        }
    }

    // `sql` with t_replica standing for this process's own table.
    Outcome RunOn(const QStringList& sources, QString sql, const QStringList& extra = {})
    {
        sql.replace(u"t_replica"_qs, m_table);
        const QString path = m_dir.filePath(u"script.sql"_qs);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(sql.toUtf8());
        file.close();
        QStringList args;
        for (const QString& source : sources) {
            args << u"--dsn"_qs << source;
            if (source == u"ReplicaPg") {
                args << u"--user"_qs << m_servers.PostgresUser() << u"--password"_qs
                     << m_servers.PostgresPassword();
            } else if (source == u"ReplicaMaria") {
                args << u"--user"_qs << m_servers.MariaDbUser() << u"--password"_qs
                     << m_servers.MariaDbPassword();
            }
        }
        return RunnerOutcome::Of(args << extra << path);
    }

    Outcome Compare(const QStringList& extra = {})
    {
        return RunOn(kAll, u"SELECT id, name, note FROM t_replica ORDER BY id"_qs,
                     QStringList{u"--compare"_qs} << extra);
    }

    const QStringList kAll = {u"ReplicaLite"_qs, u"ReplicaPg"_qs, u"ReplicaMaria"_qs};
    QTemporaryDir m_dir;
    ServerDataSources m_servers;
    const QString m_table = u"t_replica_"_qs + QString::number(QCoreApplication::applicationPid());
    bool m_created = false;
};

} // namespace

TEST_F(CompareReplicas, AgreeingReplicasExitWithZeroAndOneDifferingRowWithThree)
{
    Outcome outcome = Compare();
    EXPECT_EQ(outcome.exitCode, 0) << outcome.out.toStdString() << outcome.err.toStdString();
    // SQLite cuts the long note at 255 characters and PostgreSQL at 233; MariaDB gives it whole.
    EXPECT_EQ(outcome.out.section(u'\n', 1),
              u"  ReplicaLite: reference, 3 rows\n"
              u"  ReplicaPg: same as ReplicaLite (1 value cut short, compared as far as shown)\n"
              u"  ReplicaMaria: same as ReplicaLite (1 value cut short, compared as far as "
              u"shown)\n"_qs);

    ASSERT_EQ(
        RunOn({u"ReplicaMaria"_qs}, u"UPDATE t_replica SET name = NULL WHERE id = 2"_qs).exitCode,
        0);
    outcome = Compare({u"--key"_qs, u"id"_qs});
    EXPECT_EQ(outcome.exitCode, 3) << outcome.out.toStdString();
    EXPECT_TRUE(outcome.out.contains(u"  ReplicaMaria: 1 row differs (1 value"_qs))
        << outcome.out.toStdString();
    EXPECT_TRUE(outcome.out.contains(u"  ReplicaPg: same as ReplicaLite"_qs));
}
