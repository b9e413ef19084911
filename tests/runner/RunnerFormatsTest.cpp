#include "OdbcTestConfig.h"
#include "ReadBack.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct RunOutcome
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

RunOutcome RunTool(const QStringList& args)
{
    QProcess process;
    process.start(QStringLiteral(TESSELLA_RUN_BINARY), args);
    EXPECT_TRUE(process.waitForFinished(30000));
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

// Two connections, two batches: a set with NULL, empty text, quotes and a line break, then a
// set of one column.
class RunnerFormats : public testing::Test
{
protected:
    void SetUp() override
    {
        QFile file(m_dir.filePath(u"q.sql"_qs));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("SELECT 1 AS id, NULL AS n, '' AS e, 'a,\"b\"' AS t "
                   "UNION ALL SELECT 2, 'x', 'y', 'line' || char(10) || 'two' ;\n"
                   "SELECT 'only' AS one");
        m_sql = file.fileName();
    }

    RunOutcome Format(const QString& format, QStringList extra = {})
    {
        extra << u"--dsn"_qs << m_first.Name() << u"--dsn"_qs << m_second.Name() << u"--format"_qs
              << format << m_sql;
        return RunTool(extra);
    }

    SqliteDataSource m_first;
    SqliteDataSource m_second;
    QTemporaryDir m_dir;
    QString m_sql;
};

const QStringList kColumns{u"id"_qs, u"n"_qs, u"e"_qs, u"t"_qs};
const QJsonArray kRow1{u"1"_qs, QJsonValue::Null, u""_qs, u"a,\"b\""_qs};
const QJsonArray kRow2{u"2"_qs, u"x"_qs, u"y"_qs, u"line\ntwo"_qs};

} // namespace

TEST_F(RunnerFormats, JsonIsOneArrayOfSetsInTheConnectionsOrder)
{
    const RunOutcome run = Format(u"json"_qs);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QString error;
    const QJsonArray sets = ReadBack(u"json"_qs, run.out, &error).toArray();
    ASSERT_EQ(sets.size(), 4) << error.toStdString() << run.out.toStdString();
    for (int s = 0; s < 4; ++s) {
        const QString connection = s < 2 ? m_first.Name() : m_second.Name();
        const QJsonObject set = sets[s].toObject();
        EXPECT_EQ(set[u"connection"_qs].toString(), connection);
        EXPECT_EQ(set[u"batch"_qs].toInt(), s % 2 + 1);
        EXPECT_EQ(set[u"result"_qs].toInt(), 1);
        if (s % 2 == 0) {
            EXPECT_EQ(set[u"columns"_qs].toArray(), QJsonArray::fromStringList(kColumns));
            EXPECT_EQ(set[u"rows"_qs].toArray(), (QJsonArray{kRow1, kRow2}));
        } else {
            EXPECT_EQ(set[u"rows"_qs].toArray(), (QJsonArray{QJsonArray{u"only"_qs}}));
        }
    }
}

TEST_F(RunnerFormats, NdjsonHasASetLineThenItsRows)
{
    const RunOutcome run = Format(u"ndjson"_qs);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray lines = ReadBack(u"ndjson"_qs, run.out).toArray();
    ASSERT_EQ(lines.size(), 2 * (3 + 2));
    EXPECT_EQ(lines[0].toObject(),
              (QJsonObject{{u"connection"_qs, m_first.Name()},
                           {u"batch"_qs, 1},
                           {u"result"_qs, 1},
                           {u"columns"_qs, QJsonArray::fromStringList(kColumns)}}));
    EXPECT_EQ(lines[1].toObject(), (QJsonObject{{u"connection"_qs, m_first.Name()},
                                                {u"batch"_qs, 1},
                                                {u"result"_qs, 1},
                                                {u"row"_qs, kRow1}}));
    EXPECT_EQ(lines[4][u"row"_qs].toArray(), (QJsonArray{u"only"_qs}));
    EXPECT_EQ(lines[5][u"connection"_qs].toString(), m_second.Name());
    EXPECT_FALSE(lines[5].toObject().contains(u"rows"_qs));
}

TEST_F(RunnerFormats, CsvHasABlockASetWithTheConnectionFirst)
{
    const RunOutcome run = Format(u"csv"_qs);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QJsonArray blocks = ReadBack(u"csv"_qs, run.out).toArray();
    ASSERT_EQ(blocks.size(), 4) << run.out.toStdString();
    const QJsonArray header{u"connection"_qs, u"id"_qs, u"n"_qs, u"e"_qs, u"t"_qs};
    EXPECT_EQ(
        blocks[2].toArray(),
        (QJsonArray{header, QJsonArray{m_second.Name(), u"1"_qs, u""_qs, u""_qs, u"a,\"b\""_qs},
                    QJsonArray{m_second.Name(), u"2"_qs, u"x"_qs, u"y"_qs, u"line\ntwo"_qs}}));
    EXPECT_EQ(blocks[3].toArray(), (QJsonArray{QJsonArray{u"connection"_qs, u"one"_qs},
                                               QJsonArray{m_second.Name(), u"only"_qs}}));
    // One empty line between sets, NULL unquoted and empty text quoted.
    EXPECT_EQ(run.out.count("\r\n\r\n"), 3);
    EXPECT_TRUE(run.out.contains(",1,,\"\",\"a,\"\"b\"\"\"\r\n"));
}

TEST_F(RunnerFormats, MarkdownHasATableASet)
{
    const RunOutcome run = Format(u"markdown"_qs);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.count("| connection | id | n | e | t |\n| --- | --- | --- | --- | --- |\n"),
              2);
    EXPECT_TRUE(run.out.contains(" | 1 | *NULL* |  | a,\"b\" |\n"));
    EXPECT_TRUE(run.out.contains(" | 2 | x | y | line<br>two |\n"));
}

TEST_F(RunnerFormats, OutputFileGetsTheResultsAndTsvStaysTheDefault)
{
    const RunOutcome plain = RunTool({u"--dsn"_qs, m_first.Name(), m_sql});
    const RunOutcome tsv = Format(u"tsv"_qs);
    ASSERT_EQ(plain.exitCode, 0);
    EXPECT_TRUE(plain.out.startsWith("0\t"));
    EXPECT_EQ(tsv.out.left(plain.out.size()), plain.out);

    const QString target = m_dir.filePath(u"out.json"_qs);
    const RunOutcome toFile = Format(u"json"_qs, {u"--output"_qs, target});
    ASSERT_EQ(toFile.exitCode, 0) << toFile.err.toStdString();
    EXPECT_TRUE(toFile.out.isEmpty());
    EXPECT_EQ(ReadBackFile(u"json"_qs, target).toArray().size(), 4);
    // Nothing but the target is left in its folder.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files).size(), 2);

    const RunOutcome bad = Format(u"xlsx"_qs);
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_TRUE(bad.err.contains(u"--format"_qs));
    const RunOutcome unwritable =
        Format(u"csv"_qs, {u"--output"_qs, m_dir.filePath(u"no/such/x.csv"_qs)});
    EXPECT_EQ(unwritable.exitCode, 2);
}

TEST_F(RunnerFormats, ErrorsOfAStructuredRunGoToStandardError)
{
    QFile file(m_dir.filePath(u"bad.sql"_qs));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("SELECT 1 AS a ;\nSELECT * FROM missing");
    file.close();
    const RunOutcome run =
        RunTool({u"--dsn"_qs, m_first.Name(), u"--format"_qs, u"json"_qs, file.fileName()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(ReadBack(u"json"_qs, run.out).toArray().size(), 1);
    EXPECT_TRUE(run.err.contains(m_first.Name() + u": "_qs)) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(u"missing"_qs)) << run.err.toStdString();
}
