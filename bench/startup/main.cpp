// Start-up times. A private ODBC configuration with a SQLite data source and a private settings
// folder are made in a temporary folder, and a document attached to that data source is saved
// there by tessella-run. Then, each a few times:
//  - the workbench (offscreen) is launched once with the document, which puts it first in the
//    recent-file list, and then without arguments, which opens that last document again; with
//    TESSELLA_EXIT_WHEN_SHOWN set it prints the steady clock's reading when the document window
//    has been painted, and quits. The time counts from just before the launch, so loading the
//    program and its libraries is included;
//  - tessella-run runs a one-row query on the data source, timed from launch to exit;
//  - bench_odbc_connect, plain ODBC calls without Tessella, times the driver's own connect.
// The median of the repetitions is what the goals are judged on; the best is shown beside it.

#include "CBenchOdbcConfig.h"
#include "odbc/LocaleSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultRepeats = 7;
constexpr double kWorkbenchGoalMs = 500.0;
constexpr double kRunnerGoalMs = 100.0;
constexpr int kLaunchTimeoutMs = 60'000;
const QString kDataSource = QStringLiteral("BenchStartup");
const QString kDocumentName = QStringLiteral("startup.tsl");

double MillisecondsSince(Clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - from).count();
}

qint64 ClockNs(Clock::time_point at)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// The SQLite data source in the process's private ODBC configuration, which the
// launched programs inherit; the settings live in `folder` too.
bool MakeOdbcConfig(CBenchOdbcConfig& odbc, const QDir& folder, const QString& database)
{
    if (!odbc.Valid()) {
        return false;
    }
    odbc.AddSqlite(kDataSource, database);
    // The recent-file list and the run settings live here, not in the user's settings.
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toLocal8Bit());
    // The history of runs goes there too, not into the user's.
    qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}

struct Launch
{
    double wallMs = -1; // launch to exit
    QByteArray output;
    bool ok = false;
};

Launch Run(const QString& program, const QStringList& arguments,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    Launch launch;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const Clock::time_point start = Clock::now();
    process.start(program, arguments);
    if (!process.waitForFinished(kLaunchTimeoutMs)) {
        std::fprintf(stderr, "bench_startup: %s did not finish\n", qUtf8Printable(program));
        process.kill();
        process.waitForFinished();
        return launch;
    }
    launch.wallMs = MillisecondsSince(start);
    launch.output = process.readAllStandardOutput();
    launch.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return launch;
}

struct Shown
{
    double launchToShownMs = -1;
    double mainToShownMs = -1;
    double launchToExitMs = -1;
    QString title;
};

// Launches the workbench and reads when it showed its document window.
std::optional<Shown> LaunchWorkbench(const QString& workbench, const QStringList& arguments)
{
    // Only the workbench gets the probe: it would quit an ordinary start at once.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TESSELLA_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
    const Clock::time_point start = Clock::now();
    const Launch launch = Run(workbench, arguments, environment);
    static const QRegularExpression line(
        QStringLiteral("document window \"([^\"]*)\" shown ([0-9.]+) ms after main\\(\\); "
                       "steady clock ([0-9]+) ns"));
    const QRegularExpressionMatch match = line.match(QString::fromUtf8(launch.output));
    if (!launch.ok || !match.hasMatch()) {
        std::fprintf(stderr, "bench_startup: the workbench reported no document window:\n%s\n",
                     launch.output.constData());
        return std::nullopt;
    }
    Shown shown;
    shown.title = match.captured(1);
    shown.mainToShownMs = match.captured(2).toDouble();
    shown.launchToShownMs = double(match.captured(3).toLongLong() - ClockNs(start)) / 1e6;
    shown.launchToExitMs = launch.wallMs;
    return shown;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Best(const std::vector<double>& values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

void Goal(const char* name, double figureMs, double referenceMs, const QString& reference)
{
    const double ratio = figureMs / referenceMs;
    std::printf("GOAL\t%s\t%.1f ms\t%s\t%.2fx (< 1.0x)\t%s\n", name, figureMs,
                qUtf8Printable(reference), ratio, ratio < 1.0 ? "met" : "NOT met");
}

struct Paths
{
    QString workbench;
    QString runner;
    QString connect;
};

int Measure(const Paths& paths, int repeats)
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_startup: cannot create a temporary folder\n");
        return 1;
    }
    const QDir dir(folder.path());
    const QString database = dir.filePath(QStringLiteral("startup.db"));
    const QString querySql = dir.filePath(QStringLiteral("one.sql"));
    const QString documentSql = dir.filePath(QStringLiteral("document.sql"));
    const QString document = dir.filePath(kDocumentName);
    // sqlite3 makes the file; the one-row query needs no table.
    CBenchOdbcConfig odbc;
    if (!MakeOdbcConfig(odbc, dir, database) || !WriteFile(querySql, "SELECT 1 AS one") ||
        !WriteFile(documentSql, "SELECT name, type FROM sqlite_master\nORDER BY name;\n\n"
                                "SELECT 1 AS one\n") ||
        !Run(QStringLiteral("sqlite3"), {database, QStringLiteral("CREATE TABLE t (x);")}).ok ||
        !Run(paths.runner, {QStringLiteral("--save-as"), document, documentSql,
                            QStringLiteral("--dsn"), kDataSource})
             .ok) {
        std::fprintf(stderr, "bench_startup: cannot set up the data source and document\n");
        return 1;
    }

    // The first launch names the document and so makes it the last one used.
    const std::optional<Shown> first = LaunchWorkbench(paths.workbench, {document});
    if (!first) {
        return 1;
    }
    std::vector<double> shown;
    std::vector<double> fromMain;
    std::vector<double> toExit;
    for (int i = 0; i < repeats; ++i) {
        const std::optional<Shown> last = LaunchWorkbench(paths.workbench, {});
        if (!last || last->title != kDocumentName) {
            std::fprintf(stderr, "bench_startup: the workbench did not open the last document\n");
            return 1;
        }
        shown.push_back(last->launchToShownMs);
        fromMain.push_back(last->mainToShownMs);
        toExit.push_back(last->launchToExitMs);
    }

    std::vector<double> runner;
    std::vector<double> connect;
    std::vector<double> connectProcess;
    static const QRegularExpression connectLine(QStringLiteral("connect_ms=([0-9.]+)"));
    // One launch of each first, not counted: the files it reads come into the page cache.
    for (int i = -1; i < repeats; ++i) {
        const Launch run = Run(paths.runner, {QStringLiteral("--dsn"), kDataSource, querySql});
        const Launch plain = Run(paths.connect, {QStringLiteral("DSN=") + kDataSource});
        const QRegularExpressionMatch match = connectLine.match(QString::fromUtf8(plain.output));
        if (!run.ok || !run.output.contains("3\t1") || !plain.ok || !match.hasMatch()) {
            std::fprintf(stderr, "bench_startup: the one-row query failed:\n%s%s\n",
                         run.output.constData(), plain.output.constData());
            return 1;
        }
        if (i >= 0) {
            runner.push_back(run.wallMs);
            connect.push_back(match.captured(1).toDouble());
            connectProcess.push_back(plain.wallMs);
        }
    }

    std::printf("%d launches each; median and best in ms\n", repeats);
    std::printf("%-58s %9s %9s\n", "", "median", "best");
    const auto row = [](const char* what, const std::vector<double>& values) {
        std::printf("%-58s %9.1f %9.1f\n", what, Median(values), Best(values));
    };
    std::printf("%-58s %9.1f %9s\n", "workbench, document named: launch to window shown",
                first->launchToShownMs, "(once)");
    row("workbench, last document: launch to window shown", shown);
    row("workbench, last document: main() to window shown", fromMain);
    row("workbench, last document: launch to exit", toExit);
    row("tessella-run, one-row query: launch to exit", runner);
    row("plain ODBC program: connect (in-process)", connect);
    row("plain ODBC program: launch to exit (connect, query, exit)", connectProcess);

    Goal("6 start-up, workbench with last document", Median(shown), kWorkbenchGoalMs,
         QStringLiteral("%1 ms").arg(kWorkbenchGoalMs, 0, 'f', 0));
    const double connectMs = Median(connect);
    Goal("6 start-up, tessella-run one-row query SQLite", Median(runner), kRunnerGoalMs + connectMs,
         QStringLiteral("%1 ms + %2 ms connect")
             .arg(kRunnerGoalMs, 0, 'f', 0)
             .arg(connectMs, 0, 'f', 1));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    odbc::EnsureUtf8Locale();
    QCoreApplication application(argc, argv);
    Paths paths{QStringLiteral(TESSELLA_WORKBENCH_PATH), QStringLiteral(TESSELLA_RUNNER_PATH),
                QStringLiteral(TESSELLA_CONNECT_PATH)};
    int repeats = kDefaultRepeats;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--repeats") == 0 && i + 1 < argc) {
            repeats = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: bench_startup [--repeats N]\n");
            return 2;
        }
    }
    if (repeats < 1) {
        std::fprintf(stderr, "bench_startup: --repeats needs a positive number\n");
        return 2;
    }
    return Measure(paths, repeats);
}
