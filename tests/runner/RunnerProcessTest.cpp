#include "CDocumentFile.h"
#include "OdbcTestConfig.h"

#include <QFile>
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

Outcome RunTool(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(TESSELLA_RUN_BINARY), args);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

CDocumentContent SampleDocument()
{
    CDocumentContent content;
    CConnectionData first;
    first.m_dataSource = u"Ünïcode DSN"_qs;
    first.m_login = u"anna"_qs;
    first.m_password = u"pw"_qs;
    CConnectionData second;
    second.m_dataSource = u"Other"_qs;
    second.m_savePassword = 0;
    second.m_password = u"dropped"_qs;
    second.m_timeOut = 5;
    second.m_enabled = 0;
    content.connections.append(first);
    content.connections.append(second);
    content.sqlText = u"SELECT 'Grüße €' AS x;\r\nSELECT 'κόσμε 世界';"_qs;
    return content;
}

} // namespace

TEST(RunnerProcess, PrintsADocumentsConnectionsAndText)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"sample.tsl"_qs);
    QString error;
    ASSERT_TRUE(CDocumentFile::Save(path, SampleDocument(), error)) << error.toStdString();

    const Outcome outcome = RunTool({u"--print-document"_qs, path});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(outcome.out, u"Ünïcode DSN\tanna\tpw\t1\t30\t1\n"
                           u"Other\t\t\t0\t5\t0\n"
                           u"--\n"
                           u"SELECT 'Grüße €' AS x;\r\nSELECT 'κόσμε 世界';"_qs);
}

TEST(RunnerProcess, SaveAsConvertsBetweenTheTwoShapes)
{
    QTemporaryDir dir;
    const QString document = dir.filePath(u"sample.tsl"_qs);
    const QString bare = dir.filePath(u"copy.sql"_qs);
    QString error;
    ASSERT_TRUE(CDocumentFile::Save(document, SampleDocument(), error));

    EXPECT_EQ(RunTool({u"--save-as"_qs, bare, document}).exitCode, 0);
    CDocumentContent loaded;
    ASSERT_TRUE(CDocumentFile::Load(bare, loaded, error));
    EXPECT_TRUE(loaded.connections.isEmpty());
    EXPECT_EQ(loaded.sqlText, SampleDocument().sqlText);
}

TEST(RunnerProcess, FileErrorsExitWithTwoAndOneLine)
{
    QTemporaryDir dir;
    const QString broken = dir.filePath(u"broken.tsl"_qs);
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\x05\x00\x00\x00\xff", 5);
    file.close();

    Outcome outcome = RunTool({u"--print-document"_qs, broken});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, u"Unexpected file format.\n"_qs);
    EXPECT_TRUE(outcome.out.isEmpty());

    outcome = RunTool({u"--print-document"_qs, dir.filePath(u"missing.tsl"_qs)});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_TRUE(outcome.err.contains(u"Cannot find this file."_qs)) << outcome.err.toStdString();
    EXPECT_EQ(outcome.err.count(u'\n'), 1);

    EXPECT_EQ(RunTool({u"--no-such-option"_qs}).exitCode, 2);
}

TEST(RunnerProcess, ConnectReportsTheServerOrItsError)
{
    SqliteDataSource source;
    Outcome outcome = RunTool({u"--connect"_qs, source.Name(), u"--user"_qs, u"tester"_qs});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    EXPECT_EQ(outcome.out, u"DBMS name:\tSQLite\nUser name:\ttester\n"_qs);

    outcome = RunTool({u"--connect"_qs, u"NoSuchSource"_qs, u"--password"_qs, u"hunter2"_qs});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.err.startsWith(u"IM002 "_qs)) << outcome.err.toStdString();
    EXPECT_FALSE(outcome.err.contains(u"hunter2"_qs)) << "the password never shows";
}
