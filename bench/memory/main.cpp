// What held result rows cost: the headless document (as tessella-run has it) runs
// `SELECT * FROM t` on the SQLite table of CBenchDataSet and keeps the results. The growth of this
// process's resident size over the run, per row, is set against the rows' own text in UTF-8 as
// the program formats it; the goal is that text and 16 bytes a row.
//
// A first small run loads the driver and opens the kept connection, so that "before" already
// holds both and the difference is the rows.
//
//   bench_memory        (the SQLite file in $TESSELLA_BENCH_DIR, default /tmp/tessella-bench-fetch)

#include "CBenchDataSet.h"
#include "CBenchOdbcConfig.h"
#include "GoalLine.h"
#include "execution/CRegisteredEvents.h"
#include "execution/CSqlTextSource.h"
#include "execution/CTessellaDoc.h"
#include "odbc/LocaleSetup.h"
#include "runner/CHeadlessResultsWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <unistd.h>

#include <cstdio>

namespace {

constexpr double kTextFactor = 1.0;
constexpr double kBytesPerRow = 16;

void Say(const QString& text)
{
    std::fputs((text + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

qint64 ResidentBytes()
{
    QFile statm(u"/proc/self/statm"_qs);
    if (!statm.open(QIODevice::ReadOnly)) {
        return -1;
    }
    // "size resident shared ...", in pages.
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

bool RunToEnd(CTessellaDoc& document, const QString& sql)
{
    CStringTextSource source(sql);
    document.StartRun(source);
    while (!document.IsIdle()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        usleep(10'000);
    }
    QCoreApplication::sendPostedEvents(nullptr, CRegisteredEvents::ArrayPost());
    bool ran = false;
    for (const auto& thread : document.QueryThreads()) {
        ran = !thread->Failed();
    }
    return ran;
}

struct Held
{
    qsizetype rows = 0;
    qint64 textBytes = 0; // the row texts in UTF-8
};

Held CountRows(const CResultStore& results)
{
    Held held;
    for (qsizetype row = 0; row < results.Count(); ++row) {
        const CPackedRows::RowView element = results.At(row);
        if (element.Kind() == ElemRow) {
            ++held.rows;
            held.textBytes += element.Text().toUtf8().size();
        }
    }
    return held;
}

constexpr qsizetype kLargeRows = 10'000'000;
constexpr double kLargeGoalGB = 0.8;

// Ten million rows of the same table, in a document of its own, in a file of its own beside the
// million-row one: the whole process's resident size once they are held, against 0.8 GB.
// $TESSELLA_BENCH_LARGE_ROWS sets fewer for a quick look; 0 leaves it out.
bool HoldTenMillion(CBenchOdbcConfig& config)
{
    bool given = false;
    const qsizetype rows = qEnvironmentVariableIntValue("TESSELLA_BENCH_LARGE_ROWS", &given);
    const qsizetype count = given ? rows : kLargeRows;
    if (count <= 0) {
        return true;
    }
    const QString folder = CBenchDataSet::SqliteFolder() + u"/large"_qs;
    QDir().mkpath(folder);
    CBenchDataSet data(CBenchOdbcConfig::Driver::Sqlite, count);
    if (!data.Provide(config, u"BenchSQLiteLarge"_qs, folder)) {
        Say(u"bench_memory: "_qs + data.Message());
        return false;
    }
    Say(QStringLiteral("SQLite: table t of %1 rows %2").arg(count).arg(data.Message()));
    CTessellaDoc document;
    document.SetLowPriorityThreads(false);
    CRunSettings settings;
    settings.resultMemoryLimitMB = 0;
    document.SetSettingsOverride(settings);
    CConnectionData entry;
    entry.m_dataSource = u"BenchSQLiteLarge"_qs;
    document.m_connections.append(entry);
    CHeadlessResultsWindow window(document);
    document.SetResultsWindow(&window);
    if (!RunToEnd(document, u"SELECT * FROM t"_qs)) {
        Say(u"bench_memory: the large run failed"_qs);
        return false;
    }
    const double gb = double(ResidentBytes()) / 1e9;
    Say(QStringLiteral("%1 rows held: resident %2 GB, %3 MB allocated by the store")
            .arg(document.Results().Count())
            .arg(gb, 0, 'f', 3)
            .arg(double(document.Results().AllocatedBytes()) / 1e6, 0, 'f', 1));
    GoalLine{QStringLiteral("1 memory %1 rows SQLite").arg(count),
             QStringLiteral("%1 GB").arg(gb, 0, 'f', 3),
             QStringLiteral("%1 GB").arg(kLargeGoalGB, 0, 'f', 1), gb / kLargeGoalGB, 1.0}
        .Print();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    odbc::EnsureUtf8Locale();
    QCoreApplication application(argc, argv);
    CBenchOdbcConfig config;
    const QString dsn = u"BenchSQLite"_qs;
    CBenchDataSet data(CBenchOdbcConfig::Driver::Sqlite, CBenchDataSet::DefaultRows());
    if (!data.EnsureSqliteTable(config, dsn)) {
        Say(u"bench_memory: "_qs + data.Message());
        return 1;
    }
    Say(u"SQLite: table t "_qs + data.Message());

    // The million rows' document is gone before the ten million come.
    {
        CTessellaDoc document;
        document.SetLowPriorityThreads(false);
        document.SetSettingsOverride(CRunSettings{});
        CConnectionData entry;
        entry.m_dataSource = dsn;
        document.m_connections.append(entry);
        CHeadlessResultsWindow window(document);
        document.SetResultsWindow(&window);

        if (!RunToEnd(document, u"SELECT * FROM t WHERE id <= 10"_qs)) {
            Say(u"bench_memory: the first run failed"_qs);
            return 1;
        }
        const qint64 before = ResidentBytes();
        QElapsedTimer clock;
        clock.start();
        if (!RunToEnd(document, u"SELECT * FROM t"_qs)) {
            Say(u"bench_memory: the run failed"_qs);
            return 1;
        }
        const double seconds = double(clock.elapsed()) / 1000.0;
        const qint64 after = ResidentBytes();
        const Held held = CountRows(document.Results());
        if (held.rows == 0 || before < 0 || after < 0) {
            Say(u"bench_memory: no rows or no resident size"_qs);
            return 1;
        }
        const double perRow = double(after - before) / double(held.rows);
        const double textPerRow = double(held.textBytes) / double(held.rows);
        Say(QStringLiteral("%1 rows held in %2 s; resident %3 MB before, %4 MB after")
                .arg(held.rows)
                .arg(seconds, 0, 'f', 2)
                .arg(double(before) / 1e6, 0, 'f', 1)
                .arg(double(after) / 1e6, 0, 'f', 1));
        Say(QStringLiteral("%1 bytes a row resident (%2 allocated by the store), %3 bytes a row of "
                           "UTF-8 text; allowed %4 (text + 16)")
                .arg(perRow, 0, 'f', 1)
                .arg(double(document.Results().AllocatedBytes()) / double(held.rows), 0, 'f', 1)
                .arg(textPerRow, 0, 'f', 1)
                .arg(kTextFactor * textPerRow + kBytesPerRow, 0, 'f', 1));
        GoalLine{u"4 memory SQLite"_qs, QStringLiteral("%1 B/row").arg(perRow, 0, 'f', 1),
                 QStringLiteral("%1 B/row UTF-8 text").arg(textPerRow, 0, 'f', 1),
                 perRow / textPerRow, kTextFactor + kBytesPerRow / textPerRow}
            .Print();
    }
    return HoldTenMillion(config) ? 0 : 1;
}
