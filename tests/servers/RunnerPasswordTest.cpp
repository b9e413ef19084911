// tessella-run --password: before any --dsn it is the password of the document's entries that
// have none, so that a document saved without its password runs unattended.

#include "OdbcTestConfig.h"
#include "ServerDataSources.h"
#include "document/CDocumentFile.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome RunTool(const QStringList& args, const QByteArray& input = {})
{
    QProcess process;
    process.start(QStringLiteral(TESSELLA_RUN_BINARY), args);
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

TEST(RunnerPassword, GivenPasswordReachesTheEntriesWithoutOne)
{
    ServerDataSources servers;
    const QString name = u"RunnerPassword"_qs;
    // The data source names no login of its own: the entry's is all there is.
    if (!servers.AddPostgres(name, {{u"Username"_qs, {}}, {u"Password"_qs, {}}})) {
        GTEST_SKIP() << servers.Problem().toStdString();
    }
    QTemporaryDir folder;
    const QString document = folder.filePath(u"unattended.tsl"_qs);
    CDocumentContent content;
    CConnectionData entry;
    entry.m_dataSource = name;
    entry.m_login = servers.PostgresUser();
    entry.m_savePassword = 0;
    content.connections.append(entry);
    content.sqlText = u"SELECT 'ran as ' || current_user"_qs;
    QString error;
    ASSERT_TRUE(CDocumentFile::Save(document, content, error)) << error.toStdString();

    const Outcome without = RunTool({document});
    EXPECT_EQ(without.exitCode, 1) << without.out.toStdString();
    EXPECT_TRUE(without.out.contains(u"no password supplied"_qs)) << without.out.toStdString();

    const QByteArray line = servers.PostgresPassword().toUtf8() + '\n';
    const Outcome piped = RunTool({u"--password"_qs, u"-"_qs, document}, line);
    EXPECT_EQ(piped.exitCode, 0) << piped.out.toStdString() << piped.err.toStdString();
    EXPECT_TRUE(piped.out.contains(u"3\tran as "_qs + servers.PostgresUser()))
        << piped.out.toStdString();
    EXPECT_FALSE(piped.out.contains(servers.PostgresPassword()));

    // A wrong one is the server's refusal, not the missing password of before.
    const Outcome wrong = RunTool({u"--password"_qs, u"-"_qs, document}, "not-it\n");
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_FALSE(wrong.out.contains(u"no password supplied"_qs)) << wrong.out.toStdString();
    OdbcTestConfig::Instance().RemoveDataSource(name);
}
