#include "CChildProcess.h"
#include "GoalLine.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TEST(BenchReport, GoalLinesBecomeOneTableWithTheMissedOnesCounted)
{
    const GoalLine met{u"1 fetch SQLite"_qs, Seconds(1.0), Seconds(1.25) + u" isql"_qs, 0.8, 1.0};
    const GoalLine missed{u"3 parallel x3"_qs, Seconds(3.0), Seconds(2.0), 1.5, 1.3};
    EXPECT_EQ(met.Text(),
              u"GOAL\t1 fetch SQLite\t1.000 s\t1.250 s isql\t0.80x (<= 1.00x)\tmet\n"_qs);
    EXPECT_TRUE(missed.Text().endsWith(u"\t1.50x (<= 1.30x)\tNOT met\n"_qs));
    EXPECT_TRUE(GoalLine({u"edge"_qs, {}, {}, 1.3, 1.3}).Met()) << "the limit itself meets it";

    QProcess table;
    table.start(u"bash"_qs, {QStringLiteral(TESSELLA_BENCH_TABLE_SCRIPT)});
    ASSERT_TRUE(table.waitForStarted());
    // Free text of the benchmarks around the lines, and a malformed line, are passed over.
    table.write(("figures\n" + met.Text() + "GOAL\tbroken\n" + missed.Text() + "done\n").toUtf8());
    table.closeWriteChannel();
    ASSERT_TRUE(table.waitForFinished(10000));
    EXPECT_EQ(table.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(table.readAllStandardOutput()).split(u'\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(u"goal"_qs)) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(u"1 fetch SQLite  1.000 s"_qs)) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith(u"3 parallel x3   3.000 s"_qs)) << lines[2].toStdString();
    EXPECT_TRUE(lines[2].contains(u"NOT met"_qs));
    EXPECT_EQ(lines[3], u"2 goals, 1 met, 1 not met"_qs);
}

TEST(BenchReport, ChildProcessesAreTimedWithTheirStreamsRedirected)
{
    QTemporaryDir dir;
    const QString input = dir.filePath(u"in.txt"_qs);
    const QString output = dir.filePath(u"out.txt"_qs);
    const QString errors = dir.filePath(u"err.txt"_qs);
    QFile file(input);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Grüße\n");
    file.close();

    CChildProcess copy(u"sh"_qs, {u"-c"_qs, u"cat; echo oops >&2; sleep 0.2; exit 3"_qs});
    copy.SetInput(input);
    copy.SetOutput(output);
    copy.SetErrors(errors);
    const qint64 before = CChildProcess::MonotonicNs();
    const CChildProcess::Outcome outcome = copy.Run();
    EXPECT_EQ(outcome.exitCode, 3);
    EXPECT_GE(outcome.startNs, before);
    EXPECT_GE(outcome.seconds, 0.2);
    EXPECT_LT(outcome.seconds, 30.0);
    EXPECT_EQ(ReadAll(output), u"Grüße\n"_qs);
    EXPECT_EQ(ReadAll(errors), u"oops\n"_qs);
    EXPECT_LT(outcome.cpuSeconds, outcome.seconds) << "a sleeping child spends no CPU time";

    const CChildProcess::Outcome busy =
        CChildProcess(u"sh"_qs, {u"-c"_qs, u"i=0; while [ $i -lt 300000 ]; do i=$((i+1)); done"_qs})
            .Run();
    EXPECT_EQ(busy.exitCode, 0);
    EXPECT_GT(busy.cpuSeconds, 0.01) << "the child's own CPU time is counted";

    EXPECT_EQ(CChildProcess(u"/no/such/program"_qs, {}).Run().exitCode, 127);
    CChildProcess unwritable(u"true"_qs, {});
    unwritable.SetOutput(dir.filePath(u"missing/folder/out"_qs));
    EXPECT_EQ(unwritable.Run().exitCode, 127) << "a stream that cannot be opened fails the run";
}
