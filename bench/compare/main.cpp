// Comparing one result set of 1,000,000 rows of two connections, matched on their key and as
// whole rows. The rows reach a result store as a query thread posts them (a header, then
// batches of 1,000 with NULL marks), the second connection's with a few hundred rows changed,
// left out and added. The comparison runs in chunks of 50,000 rows as a window would run it; it
// reports the wall and CPU time, the longest chunk and the memory it takes beyond the store's.
// Goal: under 2 s for each (a window's progress bar for a few seconds at most); on a machine
// shared with other work the goal is read from the CPU time.

#include "BenchRowText.h"
#include "GoalLine.h"
#include "compare/CResultComparison.h"
#include "execution/CPostElemArray.h"
#include "execution/CResultStore.h"
#include "odbc/LocaleSetup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

constexpr int kRows = 1'000'000;
constexpr int kBatchRows = 1000;
constexpr int kChunkRows = 50'000;
constexpr int kChanged = 300; // every kRows / kChanged-th row: changed, left out or added
constexpr double kGoalSeconds = 2.0;
const QString kColumns = QStringLiteral("id\tname\tamount\tday\tnote");

// The second connection: of every kRows / kChanged rows one is changed, one left out and one
// added (a new id past the end).
void Feed(CResultStore& store, const QString& connection, bool second)
{
    const int every = kRows / kChanged;
    odbc::ValueMarks marks;
    int added = 0;
    for (int fed = 0; fed < kRows;) {
        CPostElemArray batch(connection, kBatchRows + 1);
        if (fed == 0) {
            batch.AddHeader(kColumns, 0, 0);
        }
        for (int i = 0; i < kBatchRows && fed < kRows; ++i, ++fed) {
            int id = fed + 1;
            const int place = fed % every;
            if (second && place == 1) {
                id = kRows + ++added; // in place of one left out
            }
            marks.Reset(5);
            if (id % 10 == 0) {
                marks.MarkNull(4);
            }
            batch.AddRow(BenchRowText(id, second && place == 0 ? 1 : 0), marks);
        }
        store.Intake(batch);
    }
}

long StatusKilobytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith(field)) {
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

// Lets the peak resident size start again from the current one.
void ResetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly)) {
        clear.write("5");
    }
}

// The thread's own CPU time: on a machine shared with other work, what the comparison cost
// apart from the time it waited for a CPU.
double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

struct Figures
{
    double seconds = 0;
    double cpuSeconds = 0;
    double longestChunkMs = 0;
    double extraMB = 0;
    QString summary;
};

Figures Measure(const CResultStore& store, const QStringList& keys)
{
    ResetPeak();
    const long before = StatusKilobytes("VmRSS:");
    Figures figures;
    const double cpuStart = ThreadCpuSeconds();
    QElapsedTimer total;
    total.start();
    CResultComparison comparison({&store.ResultSet(0), &store.ResultSet(1)}, 0, keys);
    QElapsedTimer chunk;
    for (bool done = false; !done;) {
        chunk.start();
        done = comparison.Step(kChunkRows);
        figures.longestChunkMs =
            std::max(figures.longestChunkMs, double(chunk.nsecsElapsed()) / 1e6);
    }
    figures.seconds = double(total.nsecsElapsed()) / 1e9;
    figures.cpuSeconds = ThreadCpuSeconds() - cpuStart;
    figures.extraMB = double(StatusKilobytes("VmHWM:") - before) / 1024.0;
    figures.summary = comparison.Summary(1);
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    odbc::EnsureUtf8Locale();
    QCoreApplication application(argc, argv);
    CResultStore store;
    QElapsedTimer clock;
    clock.start();
    Feed(store, QStringLiteral("First"), false);
    Feed(store, QStringLiteral("Second"), true);
    std::printf("store: 2 x %d rows of 5 columns in %.2f s, %.1f MB held, resident %.1f MB\n",
                kRows, double(clock.nsecsElapsed()) / 1e9,
                double(store.AllocatedBytes()) / 1048576.0,
                double(StatusKilobytes("VmRSS:")) / 1024.0);

    const struct
    {
        const char* name;
        QStringList keys;
    } runs[] = {{"keyed on id", {QStringLiteral("id")}}, {"whole rows", {}}};
    for (const auto& run : runs) {
        const Figures figures = Measure(store, run.keys);
        std::printf("%-12s wall %.3f s, CPU %.3f s, longest chunk of %d rows %.1f ms, peak "
                    "memory +%.1f MB (%.1f B a row of both sides): %s\n",
                    run.name, figures.seconds, figures.cpuSeconds, kChunkRows,
                    figures.longestChunkMs, figures.extraMB,
                    figures.extraMB * 1048576.0 / (2.0 * kRows),
                    figures.summary.toUtf8().constData());
        // The comparison is one thread's work: its CPU time is its wall time on an idle machine.
        GoalLine{QStringLiteral("compare 2x1M %1, CPU").arg(QLatin1String(run.name)),
                 Seconds(figures.cpuSeconds), Seconds(kGoalSeconds),
                 figures.cpuSeconds / kGoalSeconds, 1.0}
            .Print();
    }
    return 0;
}
