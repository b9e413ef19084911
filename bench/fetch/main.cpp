// Fetch throughput: `SELECT * FROM t` (1,000,000 rows x 5 columns, made by CBenchDataSet) on
// SQLite, PostgreSQL and MariaDB through
//   - tessella-run, timed from the fork to the last batch taken (its --timing line), with its
//     output to /dev/null,
//   - unixODBC's isql -b -x0x09, to its exit, its output to /dev/null,
//   - bench_odbc_loop, the bare SQLFetch loop, with wide and with 8-bit binding,
// and then tessella-run with all three connections in one document.
//
// The contenders take turns, every round once each, so that a noisy stretch of the machine hits
// them alike; the figure of each is its best round (the median is printed too).
//
//   bench_fetch [--rounds N] [--drivers sqlite,postgres,mariadb]
//
// The SQLite file lives in $TESSELLA_BENCH_DIR (default /tmp/tessella-bench-fetch); PostgreSQL and
// MariaDB need scripts/test-servers.sh start. The user's own ODBC configuration and settings are
// not read.

#include "CBenchDataSet.h"
#include "CBenchOdbcConfig.h"
#include "CFetchContender.h"
#include "CServerCpu.h"
#include "GoalLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

using Driver = CBenchOdbcConfig::Driver;

const QString kNull = QStringLiteral("/dev/null");

struct Options
{
    int rounds = 3;
    QStringList drivers{u"sqlite"_qs, u"postgres"_qs, u"mariadb"_qs};
};

struct Target
{
    Driver driver;
    QString dsn;
    QString document; // the one-connection tessella-run document
    double tessellaBest = 0;
    double tessellaCpu = 0; // least CPU time of a run, the servers' included
};

void Say(const QString& text)
{
    std::fputs((text + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

bool ParseOptions(const QStringList& arguments, Options& options)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == u"--rounds" && i + 1 < arguments.size()) {
            options.rounds = std::max(1, arguments[++i].toInt());
        } else if (arguments[i] == u"--drivers" && i + 1 < arguments.size()) {
            options.drivers = arguments[++i].toLower().split(u',', Qt::SkipEmptyParts);
        } else {
            return false;
        }
    }
    return true;
}

bool WriteText(const QString& path, const QString& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text.toUtf8()) >= 0;
}

// Lines of `file` that begin with `prefix`: how the row count of an output is checked.
qsizetype CountLines(const QString& path, const QByteArray& prefix)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    qsizetype count = 0;
    while (!file.atEnd()) {
        count += file.readLine().startsWith(prefix) ? 1 : 0;
    }
    return count;
}

// The data source and its table; false with the reason said when the driver cannot be measured.
bool Prepare(CBenchOdbcConfig& config, Target& target, qsizetype rows, const QString& folder)
{
    const QString name = CBenchOdbcConfig::DriverName(target.driver);
    target.dsn = u"Bench"_qs + name;
    CBenchDataSet data(target.driver, rows);
    if (!data.Provide(config, target.dsn, folder)) {
        Say(name + u": skipped, "_qs + data.Message());
        return false;
    }
    Say(QStringLiteral("%1: table t of %2 rows %3").arg(name).arg(rows).arg(data.Message()));
    return true;
}

// A tessella-run document of `query` on the targets' data sources. The login goes into the
// document as a user's would: the program sends UID and PWD even when they are empty, and an
// empty PWD overrides the password of a PostgreSQL data source.
bool SaveDocument(const QString& document, const QString& query,
                  const std::vector<const Target*>& targets, const CBenchOdbcConfig& config)
{
    QStringList arguments{u"--save-as"_qs, document, query};
    for (const Target* target : targets) {
        const CBenchOdbcConfig::Login login = config.ServerLogin(target->driver);
        arguments << u"--dsn"_qs << target->dsn;
        if (!login.user.isEmpty()) {
            arguments << u"--user"_qs << login.user << u"--password"_qs << login.password;
        }
    }
    return CChildProcess(QStringLiteral(TESSELLA_RUNNER_PATH), arguments).Run().exitCode == 0;
}

CFetchContender TessellaRun(const QString& label, const QString& document, const QString& folder)
{
    CChildProcess process(QStringLiteral(TESSELLA_RUNNER_PATH), {u"--timing"_qs, document});
    process.SetOutput(kNull);
    process.SetErrors(QDir(folder).filePath(u"tessella-run.err"_qs));
    return {label, process, CFetchContender::End::LastIntake};
}

CFetchContender Isql(const Target& target, const CBenchOdbcConfig& config, const QString& query)
{
    const CBenchOdbcConfig::Login login = config.ServerLogin(target.driver);
    QStringList arguments{u"-b"_qs, u"-x0x09"_qs, target.dsn};
    if (!login.user.isEmpty()) {
        arguments << login.user << login.password;
    }
    CChildProcess process(u"isql"_qs, arguments);
    process.SetInput(query);
    process.SetOutput(kNull);
    return {u"isql"_qs, process, CFetchContender::End::Exit};
}

CFetchContender BareLoop(const Target& target, bool wide, const QString& folder)
{
    CChildProcess process(QStringLiteral(TESSELLA_ODBC_LOOP_PATH),
                          {wide ? u"--wide"_qs : u"--narrow"_qs, u"DSN="_qs + target.dsn});
    process.SetOutput(QDir(folder).filePath(u"loop.out"_qs));
    return {wide ? u"bare loop (wide)"_qs : u"bare loop (8-bit)"_qs, process,
            CFetchContender::End::Exit};
}

// Checks once, untimed, that a contender's output holds every row.
bool Verify(CChildProcess process, const QString& output, const QByteArray& rowPrefix,
            qsizetype rows, const QString& label)
{
    process.SetOutput(output);
    process.Run();
    const qsizetype found = CountLines(output, rowPrefix);
    QFile::remove(output);
    if (found != rows) {
        Say(QStringLiteral("%1: %2 rows in its output, %3 expected")
                .arg(label)
                .arg(found)
                .arg(rows));
        return false;
    }
    return true;
}

bool RunRounds(std::vector<CFetchContender>& contenders, int rounds)
{
    for (int round = 0; round < rounds; ++round) {
        for (CFetchContender& contender : contenders) {
            if (!contender.Sample()) {
                Say(contender.Problem());
                return false;
            }
        }
    }
    return true;
}

void PrintFigures(const QString& title, const std::vector<CFetchContender>& contenders)
{
    Say(title);
    Say(QStringLiteral("  %1 %2 %3 %4 %5 %6")
            .arg(u"program"_qs, -20)
            .arg(u"best"_qs, 8)
            .arg(u"median"_qs, 8)
            .arg(u"to exit"_qs, 8)
            .arg(u"cpu"_qs, 8)
            .arg(u"+servers"_qs, 8));
    for (const CFetchContender& contender : contenders) {
        Say(QStringLiteral("  %1 %2 %3 %4 %5 %6")
                .arg(contender.Label(), -20)
                .arg(contender.Best(), 8, 'f', 3)
                .arg(contender.Median(), 8, 'f', 3)
                .arg(contender.BestExit(), 8, 'f', 3)
                .arg(contender.BestCpu(), 8, 'f', 3)
                .arg(contender.BestCpuWithServers(), 8, 'f', 3));
    }
}

// Goal 2 for one driver, and the bare loops beside it.
bool MeasureOne(Target& target, const CBenchOdbcConfig& config, const CServerCpu& servers,
                const QString& query, qsizetype rows, int rounds, const QString& folder)
{
    const QString name = CBenchOdbcConfig::DriverName(target.driver);
    target.document =
        QDir(folder).filePath(CBenchOdbcConfig::DriverKey(target.driver) + u".tsl"_qs);
    if (!SaveDocument(target.document, query, {&target}, config)) {
        Say(name + u": tessella-run --save-as failed"_qs);
        return false;
    }
    std::vector<CFetchContender> contenders{
        TessellaRun(u"tessella-run"_qs, target.document, folder), Isql(target, config, query),
        BareLoop(target, true, folder), BareLoop(target, false, folder)};
    for (CFetchContender& contender : contenders) {
        contender.CountServers(&servers);
    }
    const QString check = QDir(folder).filePath(u"check.out"_qs);
    if (!Verify(contenders[0].Process(), check, "3\t", rows, name + u" tessella-run"_qs) ||
        !Verify(contenders[1].Process(), check, "", rows, name + u" isql"_qs) ||
        !RunRounds(contenders, rounds)) {
        return false;
    }
    PrintFigures(QStringLiteral("%1, %2 rows, %3 rounds (seconds; best and median to the end: "
                                "tessella-run's last batch taken, the others' exit; best wall "
                                "time to the exit; least user + system CPU time of a run, "
                                "without and with the servers'):")
                     .arg(name)
                     .arg(rows)
                     .arg(rounds),
                 contenders);
    target.tessellaBest = contenders[0].Best();
    target.tessellaCpu = contenders[0].BestCpuWithServers();
    const double isql = contenders[1].Best();
    const double wide = contenders[2].Best();
    GoalLine{u"2 fetch "_qs + name, Seconds(target.tessellaBest), Seconds(isql) + u" isql"_qs,
             target.tessellaBest / isql, 1.0}
        .Print();
    GoalLine{u"2 stretch "_qs + name, Seconds(target.tessellaBest),
             Seconds(wide) + u" bare wide loop"_qs, target.tessellaBest / wide, 1.2}
        .Print();
    Say(QStringLiteral("  bare loop 8-bit / wide: %1 / %2 s")
            .arg(contenders[3].Best(), 0, 'f', 3)
            .arg(wide, 0, 'f', 3));
    return true;
}

// Goal 3: every measured connection in one document against the slowest of them alone.
void MeasureTogether(const std::vector<Target>& targets, const CBenchOdbcConfig& config,
                     const CServerCpu& servers, const QString& query, qsizetype rows, int rounds,
                     const QString& folder)
{
    QStringList dsns;
    std::vector<const Target*> all;
    double slowest = 0;
    QString slowestName;
    double cpuAlone = 0;
    for (const Target& target : targets) {
        dsns << target.dsn;
        all.push_back(&target);
        cpuAlone += target.tessellaCpu;
        if (target.tessellaBest > slowest) {
            slowest = target.tessellaBest;
            slowestName = CBenchOdbcConfig::DriverName(target.driver);
        }
    }
    const QString document = QDir(folder).filePath(u"together.tsl"_qs);
    if (!SaveDocument(document, query, all, config)) {
        Say(u"tessella-run --save-as failed for the document of all connections"_qs);
        return;
    }
    std::vector<CFetchContender> contenders{
        TessellaRun(QStringLiteral("tessella-run x%1").arg(dsns.size()), document, folder)};
    contenders[0].CountServers(&servers);
    const QString check = QDir(folder).filePath(u"check.out"_qs);
    if (!Verify(contenders[0].Process(), check, "3\t", rows * dsns.size(),
                u"tessella-run, all connections"_qs) ||
        !RunRounds(contenders, rounds)) {
        return;
    }
    PrintFigures(QStringLiteral("%1 connections at once (%2), %3 rows each:")
                     .arg(dsns.size())
                     .arg(dsns.join(u", "_qs))
                     .arg(rows),
                 contenders);
    const double together = contenders[0].Best();
    // No run of them all can end sooner than all their work takes on every core at once.
    const long cores = std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
    const double cpuLimit = cpuAlone / double(cores);
    Say(QStringLiteral("  the machine's limit: %1 s of CPU time alone, servers included, over %2 "
                       "cores = %3 s; together %4 s of CPU time")
            .arg(cpuAlone, 0, 'f', 3)
            .arg(cores)
            .arg(cpuLimit, 0, 'f', 3)
            .arg(contenders[0].BestCpuWithServers(), 0, 'f', 3));
    GoalLine{QStringLiteral("3 parallel x%1").arg(dsns.size()), Seconds(together),
             Seconds(slowest) + u" slowest alone ("_qs + slowestName + u"), CPU limit "_qs +
                 Seconds(cpuLimit),
             together / slowest, 1.3}
        .Print();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    Options options;
    if (!ParseOptions(QCoreApplication::arguments().mid(1), options)) {
        std::fprintf(stderr,
                     "usage: bench_fetch [--rounds N] [--drivers sqlite,postgres,mariadb]\n");
        return 2;
    }
    CBenchOdbcConfig config;
    const QString folder = CBenchOdbcConfig::BenchFolder();
    if (!config.Valid() || !QDir().mkpath(folder)) {
        std::fprintf(stderr, "bench_fetch: cannot make the private ODBC folder or %s\n",
                     qPrintable(folder));
        return 1;
    }
    // The runner's settings file stays out of it too.
    qputenv("XDG_CONFIG_HOME", QDir(folder).filePath(u"config"_qs).toLocal8Bit());
    // The history of runs goes there too, not into the user's.
    qputenv("XDG_DATA_HOME", QDir(folder).filePath(u"data"_qs).toLocal8Bit());
    const qsizetype rows = CBenchDataSet::DefaultRows();
    const QString query = QDir(folder).filePath(u"query.sql"_qs);
    if (!WriteText(query, u"SELECT * FROM t\n"_qs)) {
        std::fprintf(stderr, "bench_fetch: cannot write %s\n", qPrintable(query));
        return 1;
    }

    const CServerCpu servers(config.ServersFolder());
    std::vector<Target> measured;
    bool allMeasured = true;
    for (const Driver driver : {Driver::Sqlite, Driver::Postgres, Driver::MariaDb}) {
        if (!options.drivers.contains(CBenchOdbcConfig::DriverKey(driver))) {
            continue;
        }
        Target target{driver, {}, {}, 0};
        if (Prepare(config, target, rows, folder) &&
            MeasureOne(target, config, servers, query, rows, options.rounds, folder)) {
            measured.push_back(target);
        } else {
            allMeasured = false;
        }
    }
    if (measured.size() > 1) {
        MeasureTogether(measured, config, servers, query, rows, options.rounds, folder);
    }
    return allMeasured ? 0 : 1;
}
