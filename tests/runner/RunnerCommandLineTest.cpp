#include "runner/RunnerCommandLine.h"

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

CRunnerCommandLine Parsed(const QStringList& args)
{
    CRunnerCommandLine commandLine;
    EXPECT_TRUE(commandLine.Parse(args)) << commandLine.Error().toStdString();
    return commandLine;
}

QString Refusal(const QStringList& args)
{
    CRunnerCommandLine commandLine;
    EXPECT_FALSE(commandLine.Parse(args)) << args.join(u' ').toStdString();
    return commandLine.Error();
}

} // namespace

TEST(RunnerCommandLine, CommandsAndTheirValues)
{
    auto print = Parsed({u"--print-document"_qs, u"a.tsl"_qs});
    EXPECT_EQ(print.GetCommand(), CRunnerCommandLine::Command::PrintDocument);
    EXPECT_EQ(print.file, u"a.tsl"_qs);

    auto save = Parsed({u"--save-as"_qs, u"out.sql"_qs, u"in.tsl"_qs});
    EXPECT_EQ(save.GetCommand(), CRunnerCommandLine::Command::SaveAs);
    EXPECT_EQ(save.outputFile, u"out.sql"_qs);
    EXPECT_EQ(save.file, u"in.tsl"_qs);

    auto connect = Parsed({u"--connect"_qs, u"Demo"_qs, u"--user"_qs, u"u"_qs, u"--password"_qs,
                           u"-secret"_qs, u"--timeout"_qs, u"7"_qs});
    EXPECT_EQ(connect.GetCommand(), CRunnerCommandLine::Command::Connect);
    EXPECT_EQ(connect.dataSource, u"Demo"_qs);
    EXPECT_EQ(connect.user, u"u"_qs);
    EXPECT_EQ(connect.password, u"-secret"_qs) << "a value may start with a dash";
    EXPECT_EQ(connect.timeOut, 7);
    EXPECT_EQ(Parsed({u"--connect"_qs, u"Demo"_qs}).timeOut, 30);
}

TEST(RunnerCommandLine, MistakesAreRefusedWithAReason)
{
    EXPECT_FALSE(Refusal({}).isEmpty());
    EXPECT_TRUE(Refusal({u"--print-document"_qs}).contains(u"needs a value"_qs));
    EXPECT_TRUE(Refusal({u"--bogus"_qs}).contains(u"--bogus"_qs));
    EXPECT_FALSE(Refusal({u"--save-as"_qs, u"out.tsl"_qs}).isEmpty());
    EXPECT_FALSE(Refusal({u"--connect"_qs, u"D"_qs, u"--timeout"_qs, u"soon"_qs}).isEmpty());
    EXPECT_FALSE(Refusal({u"--connect"_qs, u"D"_qs, u"--print-document"_qs, u"x"_qs}).isEmpty());
    EXPECT_FALSE(Refusal({u"--print-document"_qs, u"a"_qs, u"b"_qs}).isEmpty());
}

TEST(RunnerCommandLine, RunOptionsBelongToTheirDataSource)
{
    auto run =
        Parsed({u"--dsn"_qs, u"A"_qs, u"--user"_qs, u"ua"_qs, u"--dsn"_qs, u"B"_qs, u"--timeout"_qs,
                u"5"_qs, u"--separator"_qs, u"GO"_qs, u"--ignore-info"_qs, u"q.sql"_qs});
    EXPECT_EQ(run.GetCommand(), CRunnerCommandLine::Command::Run);
    EXPECT_EQ(run.file, u"q.sql"_qs);
    ASSERT_EQ(run.dataSources.size(), 2);
    EXPECT_EQ(run.dataSources[0].name, u"A"_qs);
    EXPECT_EQ(run.dataSources[0].user, u"ua"_qs);
    EXPECT_EQ(run.dataSources[0].timeOut, 30);
    EXPECT_EQ(run.dataSources[1].name, u"B"_qs);
    EXPECT_TRUE(run.dataSources[1].user.isEmpty());
    EXPECT_EQ(run.dataSources[1].timeOut, 5);
    EXPECT_EQ(run.separator, u"GO"_qs);
    EXPECT_TRUE(run.ignoreInfo);
    EXPECT_FALSE(run.reconnect);

    EXPECT_TRUE(Parsed({u"doc.tsl"_qs}).separator.isNull()) << "no override unless asked";
    EXPECT_FALSE(Refusal({u"--connect"_qs, u"D"_qs, u"--dsn"_qs, u"E"_qs}).isEmpty());
    EXPECT_FALSE(Refusal({u"--reconnect"_qs}).isEmpty()) << "nothing to run";
    EXPECT_TRUE(Parsed({u"--timing"_qs, u"doc.tsl"_qs}).timing);
    EXPECT_FALSE(Parsed({u"doc.tsl"_qs}).timing);
    EXPECT_TRUE(Refusal({u"--timing"_qs, u"--connect"_qs, u"D"_qs}).contains(u"--timing"_qs));

    EXPECT_EQ(Parsed({u"doc.tsl"_qs}).resultMemoryLimitMB, 0) << "the runner holds no limit";
    EXPECT_EQ(Parsed({u"--result-memory-limit"_qs, u"64"_qs, u"doc.tsl"_qs}).resultMemoryLimitMB,
              64);
    EXPECT_FALSE(Refusal({u"--result-memory-limit"_qs, u"-1"_qs, u"doc.tsl"_qs}).isEmpty());
    EXPECT_FALSE(Refusal({u"--result-memory-limit"_qs, u"lots"_qs, u"doc.tsl"_qs}).isEmpty());
    EXPECT_FALSE(
        Refusal({u"--result-memory-limit"_qs, u"8"_qs, u"--connect"_qs, u"D"_qs}).isEmpty());

    EXPECT_EQ(Parsed({u"doc.tsl"_qs}).jobs, 0) << "all at once unless asked";
    EXPECT_EQ(Parsed({u"--jobs"_qs, u"8"_qs, u"doc.tsl"_qs}).jobs, 8);
    for (const QString& bad : {u"-1"_qs, u"few"_qs, u"2.5"_qs}) {
        EXPECT_EQ(Refusal({u"--jobs"_qs, bad, u"doc.tsl"_qs}),
                  u"--jobs needs a number of connections (0 for all at once)."_qs);
    }
    EXPECT_TRUE(Refusal({u"--jobs"_qs}).contains(u"needs a value"_qs));
    EXPECT_TRUE(Refusal({u"--jobs"_qs, u"4"_qs, u"--connect"_qs, u"D"_qs}).contains(u"--jobs"_qs));
}

TEST(RunnerCommandLine, PasswordsGivenAsDashAreReadFromInputInOrder)
{
    auto run = Parsed({u"--password"_qs, u"-"_qs, u"--dsn"_qs, u"A"_qs, u"--password"_qs,
                       u"kept"_qs, u"--dsn"_qs, u"B"_qs, u"--password"_qs, u"-"_qs, u"--dsn"_qs,
                       u"C"_qs, u"--password"_qs, u"-"_qs, u"q.sql"_qs});
    QByteArray lines = "first\r\nsecond ; with {braces}\n\nunused\n";
    QBuffer input(&lines);
    ASSERT_TRUE(input.open(QIODevice::ReadOnly));
    ASSERT_TRUE(run.ReadPasswords(input)) << run.Error().toStdString();
    EXPECT_EQ(run.password, u"first"_qs);
    EXPECT_EQ(run.dataSources[0].password, u"kept"_qs);
    EXPECT_EQ(run.dataSources[1].password, u"second ; with {braces}"_qs);
    EXPECT_EQ(run.dataSources[2].password, QString()) << "an empty line is an empty password";

    auto tooFew = Parsed({u"--connect"_qs, u"D"_qs, u"--password"_qs, u"-"_qs});
    QByteArray none;
    QBuffer empty(&none);
    ASSERT_TRUE(empty.open(QIODevice::ReadOnly));
    EXPECT_FALSE(tooFew.ReadPasswords(empty));
    EXPECT_TRUE(tooFew.Error().contains(u"standard input"_qs));
}

// Every option the parser's source names has its own line in --help, and every option --help
// lists is one the parser takes, so that an option added to one and not the other shows here.
TEST(RunnerCommandLine, HelpHasALineForEveryOptionTheParserTakes)
{
    QFile source(QStringLiteral(TESSELLA_RUNNER_COMMAND_LINE_SOURCE));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly)) << source.fileName().toStdString();
    const QString code = QString::fromUtf8(source.readAll());
    QSet<QString> named;
    const QRegularExpression optionName(uR"((?<![\w-])--[a-z][a-z0-9-]*)"_qs);
    for (const QRegularExpressionMatch& match : optionName.globalMatch(code)) {
        named.insert(match.captured());
    }
    EXPECT_GE(named.size(), 17) << "the source names far fewer options than it takes";

    const QString usage = CRunnerCommandLine::Usage();
    QSet<QString> listed;
    const QRegularExpression optionLine(uR"(^  (--[a-z][a-z0-9-]*)(?: [A-Z]+)?  +\S.*$)"_qs,
                                        QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& match : optionLine.globalMatch(usage)) {
        EXPECT_FALSE(listed.contains(match.captured(1))) << match.captured(1).toStdString();
        listed.insert(match.captured(1));
        EXPECT_LE(match.captured().size(), 100) << match.captured().toStdString();
    }
    for (const QString& option : named) {
        EXPECT_TRUE(listed.contains(option)) << option.toStdString() << " has no line in --help";
    }
    for (const QString& option : listed) {
        CRunnerCommandLine commandLine;
        commandLine.Parse({option, u"x"_qs, u"doc.tsl"_qs});
        EXPECT_FALSE(commandLine.Error().startsWith(u"Unknown option"_qs))
            << option.toStdString() << " is listed but not taken";
    }
    EXPECT_TRUE(usage.contains(u"\n  FILE  "_qs)) << "what a run is given";
}

TEST(RunnerCommandLine, HelpAndVersionWinOverTheRestOfTheLine)
{
    EXPECT_EQ(Parsed({u"--version"_qs}).GetCommand(), CRunnerCommandLine::Command::Version);
    EXPECT_EQ(Parsed({u"--connect"_qs, u"D"_qs, u"--version"_qs}).GetCommand(),
              CRunnerCommandLine::Command::Version);
    EXPECT_EQ(Parsed({u"--version"_qs, u"--save-as"_qs, u"o.sql"_qs}).GetCommand(),
              CRunnerCommandLine::Command::Version);
    EXPECT_EQ(Parsed({u"--version"_qs, u"--help"_qs}).GetCommand(),
              CRunnerCommandLine::Command::Help);
    EXPECT_EQ(Parsed({u"-h"_qs, u"--version"_qs, u"--timing"_qs}).GetCommand(),
              CRunnerCommandLine::Command::Help);
    EXPECT_TRUE(Refusal({u"--connect"_qs, u"D"_qs, u"--save-as"_qs, u"o"_qs, u"f"_qs})
                    .startsWith(u"Only one of"_qs));
}

TEST(RunnerCommandLine, CompareTakesKeyColumnsSeparatedByCommas)
{
    auto compare = Parsed({u"--compare"_qs, u"--key"_qs, u"id, Region"_qs, u"q.sql"_qs});
    EXPECT_TRUE(compare.compare);
    EXPECT_EQ(compare.keyColumns, (QStringList{u"id"_qs, u"Region"_qs}));
    EXPECT_FALSE(Parsed({u"q.sql"_qs}).compare);
    EXPECT_EQ(Refusal({u"--key"_qs, u"id"_qs, u"q.sql"_qs}), u"--key goes with --compare."_qs);
    EXPECT_TRUE(Refusal({u"--compare"_qs, u"--key"_qs, u"id,,x"_qs, u"q.sql"_qs})
                    .contains(u"column names"_qs));
    EXPECT_TRUE(
        Refusal({u"--compare"_qs, u"--print-document"_qs, u"q.sql"_qs}).contains(u"--compare"_qs));
}
