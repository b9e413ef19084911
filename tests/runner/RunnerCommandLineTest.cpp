#include "RunnerCommandLine.h"

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
