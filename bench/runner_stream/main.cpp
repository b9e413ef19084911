// What tessella-run holds while it writes: `SELECT * FROM t` on the SQLite table of CBenchDataSet
// (a million rows), on one connection, the output to a file. The runner writes rows as they
// arrive and frees them, so its largest resident size must stay far below what the rows would
// take held (about 180 MB for this table); the goal is 64 MiB, driver and libraries included.
// The output's row lines are counted, so that a run that wrote less cannot pass.
//
//   bench_runner_stream    (the SQLite file in $TESSELLA_BENCH_DIR, default
//   /tmp/tessella-bench-fetch)

#include "CBenchDataSet.h"
#include "CBenchOdbcConfig.h"
#include "CChildProcess.h"
#include "GoalLine.h"
#include "odbc/LocaleSetup.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr double kGoalMiB = 64.0;

void Say(const QString& text)
{
    std::fputs((text + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

qsizetype CountRowLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    qsizetype count = 0;
    while (!file.atEnd()) {
        count += file.readLine().startsWith("3\t") ? 1 : 0;
    }
    return count;
}

} // namespace

int main(int argc, char** argv)
{
    odbc::EnsureUtf8Locale();
    QCoreApplication application(argc, argv);
    CBenchOdbcConfig config;
    QTemporaryDir work;
    if (!work.isValid()) {
        Say(u"bench_runner_stream: cannot make a temporary folder"_qs);
        return 1;
    }
    const QString dsn = u"BenchSQLite"_qs;
    const qsizetype rows = CBenchDataSet::DefaultRows();
    CBenchDataSet data(CBenchOdbcConfig::Driver::Sqlite, rows);
    if (!data.EnsureSqliteTable(config, dsn)) {
        Say(u"bench_runner_stream: "_qs + data.Message());
        return 1;
    }
    Say(u"SQLite: table t "_qs + data.Message());

    const QString sql = work.filePath(u"all.sql"_qs);
    QFile sqlFile(sql);
    if (!sqlFile.open(QIODevice::WriteOnly) || sqlFile.write("SELECT * FROM t") < 0) {
        Say(u"bench_runner_stream: cannot write "_qs + sql);
        return 1;
    }
    sqlFile.close();
    // Not recorded: the user's history is no place for a benchmark's runs.
    CChildProcess runner(QStringLiteral(TESSELLA_RUNNER_PATH),
                         {u"--no-history"_qs, u"--dsn"_qs, dsn, sql});
    runner.SetOutput(work.filePath(u"out.txt"_qs));
    runner.SetErrors(work.filePath(u"err.txt"_qs));
    const CChildProcess::Outcome outcome = runner.Run();
    const qsizetype written = CountRowLines(runner.Output());
    if (outcome.exitCode != 0 || written != rows) {
        Say(QStringLiteral("bench_runner_stream: exit %1, %2 of %3 rows written")
                .arg(outcome.exitCode)
                .arg(written)
                .arg(rows));
        return 1;
    }
    const double peakMiB = double(outcome.peakResidentBytes) / double(1 << 20);
    Say(QStringLiteral("%1 rows written in %2; peak resident %3 MiB")
            .arg(written)
            .arg(Seconds(outcome.seconds))
            .arg(peakMiB, 0, 'f', 1));
    GoalLine{u"runner resident SQLite"_qs, QStringLiteral("%1 MiB").arg(peakMiB, 0, 'f', 1),
             QStringLiteral("%1 MiB").arg(kGoalMiB, 0, 'f', 0), peakMiB / kGoalMiB, 1.0}
        .Print();
    return 0;
}
