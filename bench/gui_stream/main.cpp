// Streaming a large result into the results pane. A SQLite table of 1,000,000 rows x 5 columns
// and a private ODBC data source for it are made in a temporary folder; then `SELECT * FROM t`
// is run from a real document window (offscreen platform, 1000x900, its results pane below the
// editor) by its own Run command, with "Auto scroll" off and with it on, each three times (the
// run with the smallest largest gap is reported), and finally through tessella-run for
// comparison.
//
// When the rows are in, the same window is timed scrolling its list to the end and back (Ctrl+End
// and Ctrl+Home on the list, until the list's viewport has painted), and copying 100,000 selected
// rows to the clipboard; each three times, the best is reported.
//
// Each pane run is a fresh child process of this program (--pane-run), so that its resident
// memory is not flattered by memory freed by an earlier run. While the rows stream in, a 1 ms
// precise QTimer on the user-interface thread records the time of each of its timeouts; the
// largest interval between two timeouts is the longest the event loop went without a turn.

#include "CBenchOdbcConfig.h"
#include "document/CConnectionData.h"
#include "execution/CRegisteredEvents.h"
#include "execution/CRunSettings.h"
#include "execution/CTessellaDoc.h"
#include "odbc/LocaleSetup.h"
#include "results/CListEditCtrl.h"
#include "results/CResultListModel.h"
#include "results/CResultsView.h"
#include "views/CChildFrame.h"
#include "views/CQueryDocument.h"
#include "views/CTessellaView.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMetaEnum>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr qsizetype kDefaultRows = 1'000'000;
constexpr int kDefaultRepeats = 3;
constexpr double kGapGoalMs = 50.0;
constexpr int kTickMilliseconds = 1;
// How long the shown pane settles before the run, and how long it keeps ticking after it.
constexpr int kSettleMilliseconds = 300;
constexpr int kCopyRows = 100'000;
constexpr int kActionRepeats = 3;
constexpr double kActionGoalMs = 1000.0;
const QString kDataSource = QStringLiteral("BenchStream");
const QString kQuery = QStringLiteral("SELECT * FROM t");

// ---- both processes -----------------------------------------------------------------------

long ResidentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

double CpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// ---- the pane run (child process) ---------------------------------------------------------

// The UI thread's own CPU time: a gap it spent working shows as much CPU time as wall time; a gap
// in which other processes had the CPUs shows little.
qint64 ThreadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// The application, timing every event it delivers at the outermost level once armed, and
// keeping the one that took the most UI-thread CPU time: what a long turn of the loop was spent on.
class CTimedApplication : public QApplication
{
public:
    using QApplication::QApplication;

    struct Slowest
    {
        qint64 cpuNs = 0;
        qint64 wallNs = 0;
        qint64 atNs = 0;
        qsizetype rows = 0; // rows merged before it
        int type = 0;
        QByteArray receiver;
    };

    const QElapsedTimer* clock = nullptr; // armed when set
    const CTessellaDoc* document = nullptr;
    Slowest slowest;
    qint64 lastMergeNs = -1;
    qsizetype batches = 0;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (!clock) {
            return QApplication::notify(receiver, event);
        }
        if (event->type() == CRegisteredEvents::ArrayPost()) {
            // The results pane takes in a batch; it may come nested, sent by the tick.
            const bool handled = Timed(receiver, event);
            lastMergeNs = clock->nsecsElapsed();
            ++batches;
            return handled;
        }
        return Timed(receiver, event);
    }

private:
    bool Timed(QObject* receiver, QEvent* event)
    {
        if (m_depth > 0) {
            return QApplication::notify(receiver, event);
        }
        const int type = event->type();
        // A static string, still valid should the receiver delete itself.
        const char* receiverClass = receiver->metaObject()->className();
        const qsizetype rows = document->Results().Count();
        const qint64 wall = clock->nsecsElapsed();
        const qint64 cpu = ThreadCpuNs();
        ++m_depth;
        const bool handled = QApplication::notify(receiver, event);
        --m_depth;
        const qint64 spent = ThreadCpuNs() - cpu;
        if (spent > slowest.cpuNs) {
            slowest = {spent, clock->nsecsElapsed() - wall, wall, rows, type, receiverClass};
        }
        return handled;
    }

    int m_depth = 0;
};

// A readable name of an event type; the registered types of the program by their names.
QByteArray EventName(int type)
{
    if (type == CRegisteredEvents::ArrayPost()) {
        return "WM_ARRAY_POST";
    }
    const char* name = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
    return name ? QByteArray(name) : QByteArray::number(type);
}

struct Tick
{
    qint64 ns;
    qint64 cpuNs;
    qsizetype rows;
};

class CPaneRun : public QObject
{
public:
    CPaneRun(CTimedApplication& application, CChildFrame& frame)
        : m_application(application), m_frame(frame), m_document(frame.Document().RunDocument())
    {
        m_clock.start();
        m_ticks.reserve(1 << 20);
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kTickMilliseconds);
        connect(&m_timer, &QTimer::timeout, this, [this] { OnTick(); });
        m_timer.start();
        QTimer::singleShot(kSettleMilliseconds, this, [this] { Start(); });
    }

    // One "RESULT key=value ..." line for the parent process.
    void Report(bool autoScroll, const QByteArray& more) const
    {
        const qsizetype rows = m_document.Results().Count();
        // The largest interval between two ticks from the last tick before Run to the first
        // after the last merge, and where in the run it ended.
        double gapMs = 0;
        double gapCpuMs = 0;
        double gapAtMs = 0;
        qsizetype gapRows = 0;
        double busyMs = 0; // the most UI-thread CPU time between two ticks
        int over = 0;
        std::vector<double> gaps;
        for (std::size_t i = 1; i < m_ticks.size(); ++i) {
            if (m_ticks[i].ns < m_runStartNs || m_ticks[i - 1].ns > m_application.lastMergeNs) {
                continue;
            }
            const double gap = double(m_ticks[i].ns - m_ticks[i - 1].ns) / 1e6;
            const double cpu = double(m_ticks[i].cpuNs - m_ticks[i - 1].cpuNs) / 1e6;
            gaps.push_back(gap);
            over += gap >= kGapGoalMs ? 1 : 0;
            busyMs = std::max(busyMs, cpu);
            if (gap > gapMs) {
                gapMs = gap;
                gapCpuMs = cpu;
                gapAtMs = double(m_ticks[i].ns - m_runStartNs) / 1e6;
                gapRows = m_ticks[i - 1].rows;
            }
        }
        // What the stored row texts hold, and what the store allocated for them.
        qint64 characters = 0;
        const CResultStore& results = m_document.Results();
        const CTimedApplication::Slowest& slow = m_application.slowest;
        for (qsizetype row = 0; row < rows; ++row) {
            characters += results.At(row).Text().size();
        }
        std::sort(gaps.begin(), gaps.end());
        const double p99 = gaps.empty() ? 0 : gaps[gaps.size() * 99 / 100];
        QByteArray line = "RESULT";
        const auto add = [&line](const char* key, const QByteArray& value) {
            line += ' ' + QByteArray(key) + '=' + value;
        };
        const auto number = [](double value) { return QByteArray::number(value, 'f', 2); };
        add("autoscroll", autoScroll ? "1" : "0");
        add("wall_ms", number(double(m_application.lastMergeNs - m_runStartNs) / 1e6));
        add("gap_ms", number(gapMs));
        add("gap_at_ms", number(gapAtMs));
        add("gap_rows", QByteArray::number(gapRows));
        add("gap_cpu_ms", number(gapCpuMs));
        add("busy_ms", number(busyMs));
        add("p99_ms", number(p99));
        add("over_goal", QByteArray::number(over));
        add("intervals", QByteArray::number(qsizetype(gaps.size())));
        add("rss_before_kb", QByteArray::number(m_rssBeforeKb));
        add("rss_after_kb", QByteArray::number(m_rssAfterKb));
        add("rows", QByteArray::number(rows));
        add("batches", QByteArray::number(m_application.batches));
        add("cpu_ui_s", number(m_cpuUi));
        add("cpu_all_s", number(m_cpuAll));
        add("text_chars", number(double(characters) / double(rows)));
        add("held_bytes", number(double(results.AllocatedBytes()) / double(rows)));
        add("slow_event", EventName(slow.type) + '@' + slow.receiver);
        add("slow_cpu_ms", number(double(slow.cpuNs) / 1e6));
        add("slow_wall_ms", number(double(slow.wallNs) / 1e6));
        add("slow_at_ms", number(double(slow.atNs - m_runStartNs) / 1e6));
        add("slow_rows", QByteArray::number(slow.rows));
        add("dispatcher", QAbstractEventDispatcher::instance()->metaObject()->className());
        std::printf("%s%s\n", line.constData(), more.constData());
        std::fflush(stdout);
    }

private:
    void Start()
    {
        m_rssBeforeKb = ResidentKilobytes();
        m_cpuUi = CpuSeconds(RUSAGE_THREAD);
        m_cpuAll = CpuSeconds(RUSAGE_SELF);
        m_runStartNs = m_clock.nsecsElapsed();
        m_application.document = &m_document;
        m_application.clock = &m_clock;
        // The window's own Run: the editor's text on the ticked connections.
        m_frame.OnRun();
        m_started = m_frame.StopAction()->isEnabled();
        if (!m_started) {
            std::fprintf(stderr, "bench_gui_stream: Run did not start\n");
            QCoreApplication::exit(1);
        }
    }

    void OnTick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_ticks.push_back({now, ThreadCpuNs(), m_document.Results().Count()});
        if (m_finishedNs >= 0) {
            if (now - m_finishedNs > qint64(kSettleMilliseconds) * 1'000'000) {
                m_timer.stop();
                // Not quit(), which would close the window first: the editor holds unsaved SQL.
                QCoreApplication::exit(0);
            }
            return;
        }
        if (!m_started || !m_document.IsIdle()) {
            return;
        }
        // The threads have ended; batches they posted last may still wait in the queue.
        QCoreApplication::sendPostedEvents(m_frame.Results(), CRegisteredEvents::ArrayPost());
        m_cpuUi = CpuSeconds(RUSAGE_THREAD) - m_cpuUi;
        m_cpuAll = CpuSeconds(RUSAGE_SELF) - m_cpuAll;
        m_rssAfterKb = ResidentKilobytes();
        m_finishedNs = m_clock.nsecsElapsed();
        m_application.clock = nullptr;
    }

    CTimedApplication& m_application;
    CChildFrame& m_frame;
    CTessellaDoc& m_document;
    QElapsedTimer m_clock;
    QTimer m_timer;
    std::vector<Tick> m_ticks;
    bool m_started = false;
    qint64 m_runStartNs = 0;
    qint64 m_finishedNs = -1;
    long m_rssBeforeKb = 0;
    long m_rssAfterKb = 0;
    double m_cpuUi = 0;
    double m_cpuAll = 0;
};

// Times what a user does with the rows once they are in: scrolling the list to its end and
// back, and copying a selection of its rows.
class CListActions : public QObject
{
public:
    explicit CListActions(CListEditCtrl& list) : m_list(list), m_model(*list.ResultModel())
    {
        m_list.viewport()->installEventFilter(this);
    }

    // Ctrl+End or Ctrl+Home on the list, until its viewport has painted: milliseconds, or -1
    // when it did not paint.
    double Scroll(bool toEnd)
    {
        const int paintsBefore = m_paints;
        QElapsedTimer clock;
        clock.start();
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent key(type, toEnd ? Qt::Key_End : Qt::Key_Home, Qt::ControlModifier);
            QCoreApplication::sendEvent(&m_list, &key);
        }
        while (m_paints == paintsBefore && clock.elapsed() < 10'000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        }
        return m_paints == paintsBefore ? -1 : double(clock.nsecsElapsed()) / 1e6;
    }

    // Whether `row` lies at least partly inside the list's viewport.
    bool Shows(int row) const
    {
        const QRect cell = m_list.visualRect(m_model.index(row, 0));
        return cell.isValid() && m_list.viewport()->rect().intersects(cell);
    }

    struct Copied
    {
        double selectMs = -1;
        double copyMs = -1;
        bool complete = false; // every row, in order, exactly as the list shows it
    };

    // Selects `count` rows from `first` and copies them to the clipboard.
    Copied Copy(int first, int count)
    {
        Copied result;
        QGuiApplication::clipboard()->clear();
        const int last = first + count - 1;
        QElapsedTimer clock;
        clock.start();
        m_list.selectionModel()->select(
            QItemSelection(m_model.index(first, 0), m_model.index(last, m_model.columnCount() - 1)),
            QItemSelectionModel::ClearAndSelect);
        result.selectMs = double(clock.nsecsElapsed()) / 1e6;
        clock.restart();
        if (!m_list.Copy()) {
            return result;
        }
        result.copyMs = double(clock.nsecsElapsed()) / 1e6;
        const QString text = QGuiApplication::clipboard()->text();
        result.complete = text.count(u'\n') + 1 == count && text.startsWith(Line(first) + u'\n') &&
                          text.endsWith(u'\n' + Line(last));
        return result;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++m_paints;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QString Line(int row) const
    {
        QStringList cells;
        for (int column = 0; column < m_model.columnCount(); ++column) {
            cells << m_model.CellText(row, column);
        }
        return cells.join(u'\t');
    }

    CListEditCtrl& m_list;
    CResultListModel& m_model;
    int m_paints = 0;
};

// Scrolling to the end and back, then copying 100,000 rows from the middle, each a few times;
// the figures as " key=value" pairs of the result line.
QByteArray TimeListActions(CResultsView& view)
{
    CListEditCtrl& list = *view.List();
    CResultListModel& model = *view.Model();
    // The status timer brings the announced count down to the real rows soon after the run.
    QElapsedTimer wait;
    wait.start();
    while (model.rowCount() != model.RealRows() && wait.elapsed() < 5'000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    CListActions actions(list);
    const int lastRow = model.rowCount() - 1;
    double bestEnd = 1e9;
    double bestHome = 1e9;
    bool reached = true;
    for (int repeat = 0; repeat < kActionRepeats; ++repeat) {
        const double home = actions.Scroll(false);
        reached = reached && home >= 0 && actions.Shows(0);
        const double end = actions.Scroll(true);
        reached = reached && end >= 0 && actions.Shows(lastRow);
        bestHome = std::min(bestHome, home);
        bestEnd = std::min(bestEnd, end);
    }
    const int first = std::max(0, (model.RealRows() - kCopyRows) / 2);
    const int count = std::min(kCopyRows, model.RealRows());
    CListActions::Copied best;
    bool complete = true;
    for (int repeat = 0; repeat < kActionRepeats; ++repeat) {
        const CListActions::Copied copied = actions.Copy(first, count);
        complete = complete && copied.complete;
        if (best.copyMs < 0 || (copied.copyMs >= 0 && copied.copyMs < best.copyMs)) {
            best = copied;
        }
    }
    const auto number = [](double value) { return QByteArray::number(value, 'f', 2); };
    return " scroll_end_ms=" + number(bestEnd) + " scroll_home_ms=" + number(bestHome) +
           " scroll_reached=" + (reached ? "1" : "0") + " copy_rows=" + QByteArray::number(count) +
           " copy_ms=" + number(best.copyMs) + " select_ms=" + number(best.selectMs) +
           " copy_complete=" + (complete ? "1" : "0");
}

int RunPane(int argc, char** argv, bool autoScroll)
{
    CTimedApplication application(argc, argv);
    CChildFrame frame;
    CTessellaDoc& document = frame.Document().RunDocument();
    CConnectionData entry;
    entry.m_dataSource = kDataSource;
    document.m_connections.append(entry);
    frame.Document().UpdateAllViews(nullptr);
    frame.Editor()->setText(kQuery);
    // The default run settings, whatever the user has stored.
    document.SetSettingsOverride(CRunSettings{});
    frame.resize(1000, 900);
    frame.Results()->AutoScroll()->setChecked(autoScroll);
    frame.show();
    CPaneRun run(application, frame);
    if (QApplication::exec() != 0) {
        return 1;
    }
    run.Report(autoScroll, TimeListActions(*frame.Results()));
    return 0;
}

// ---- the parent process -------------------------------------------------------------------

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// The table: integer id, a 20-character text, a real, a date as text, and a text that is NULL
// every tenth row. `check` gets what the table holds: rows, shortest and longest name, notes.
bool MakeDatabase(const QString& path, qsizetype rows, QByteArray& check)
{
    // Put together by concatenation: the printf format would be taken for a QString::arg marker.
    const QByteArray sql =
        "PRAGMA journal_mode = OFF;\n"
        "PRAGMA synchronous = OFF;\n"
        "CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(20) NOT NULL, amount REAL NOT NULL,\n"
        "    day DATE NOT NULL, note VARCHAR(40));\n"
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        QByteArray::number(rows) +
        ")\n"
        "INSERT INTO t SELECT i, printf('item-%015d', i), round(i * 0.37, 2),\n"
        "    date('2000-01-01', '+' || (i % 9000) || ' days'),\n"
        "    CASE WHEN i % 10 = 0 THEN NULL ELSE 'note number ' || i END FROM n;\n"
        ".mode list\n"
        ".separator ' '\n"
        "SELECT 'check', count(*), min(length(name)), max(length(name)), count(note) FROM t;\n";
    QProcess sqlite;
    sqlite.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sqlite.start(QStringLiteral("sqlite3"), {path});
    if (!sqlite.waitForStarted()) {
        std::fprintf(stderr, "bench_gui_stream: cannot start sqlite3\n");
        return false;
    }
    sqlite.write(sql);
    sqlite.closeWriteChannel();
    sqlite.waitForFinished(-1);
    const QByteArray output = sqlite.readAllStandardOutput();
    check = output.mid(output.lastIndexOf("check ") + 6).trimmed();
    return sqlite.exitStatus() == QProcess::NormalExit && sqlite.exitCode() == 0;
}

// The SQLite data source in the process's private ODBC configuration, which the
// launched programs inherit; the settings live in `folder` too.
bool MakeOdbcConfig(CBenchOdbcConfig& odbc, const QDir& folder, const QString& database)
{
    if (!odbc.Valid()) {
        return false;
    }
    odbc.AddSqlite(kDataSource, database);
    // Run settings from an empty store: the runner's are the defaults as well.
    qputenv("XDG_CONFIG_HOME", folder.filePath(QStringLiteral("config")).toLocal8Bit());
    // The history of runs goes there too, not into the user's.
    qputenv("XDG_DATA_HOME", folder.filePath(QStringLiteral("data")).toLocal8Bit());
    return true;
}

// Other processes take the CPUs from the query thread, which runs at the lowest priority.
QByteArray LoadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly)) {
        return "?";
    }
    const QList<QByteArray> fields = file.readAll().split(' ');
    return fields.mid(0, 3).join(' ');
}

using Figures = QHash<QString, QString>;

std::optional<Figures> PaneRunInChild(const QString& self, bool autoScroll)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(self, {QStringLiteral("--pane-run"), autoScroll ? u"1"_qs : u"0"_qs});
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
        return std::nullopt;
    }
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        if (!line.startsWith("RESULT ")) {
            continue;
        }
        Figures figures;
        for (const QByteArray& pair : line.mid(7).split(' ')) {
            const qsizetype equals = pair.indexOf('=');
            if (equals > 0) {
                figures.insert(QString::fromUtf8(pair.left(equals)),
                               QString::fromUtf8(pair.mid(equals + 1)));
            }
        }
        return figures;
    }
    return std::nullopt;
}

struct RunnerFigures
{
    double wallMs = 0;
    double cpuSeconds = 0;
    int exitCode = -1;
};

RunnerFigures RunRunner(const QString& runner, const QString& sqlFile)
{
    RunnerFigures figures;
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const double cpuBefore = CpuSeconds(RUSAGE_CHILDREN);
    QElapsedTimer clock;
    clock.start();
    process.start(runner, {QStringLiteral("--dsn"), kDataSource, sqlFile});
    process.waitForFinished(-1);
    figures.wallMs = double(clock.nsecsElapsed()) / 1e6;
    figures.cpuSeconds = CpuSeconds(RUSAGE_CHILDREN) - cpuBefore;
    figures.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return figures;
}

double Number(const Figures& figures, const char* key)
{
    return figures.value(QString::fromLatin1(key)).toDouble();
}

void Goal(const QString& name, double figure, double limit, bool valid)
{
    const double ratio = figure / limit;
    std::printf("GOAL\t%s\t%.1f ms\t%.0f ms\t%.2fx (< 1.0x)\t%s\n", qUtf8Printable(name), figure,
                limit, ratio, valid && figure >= 0 && ratio < 1.0 ? "met" : "NOT met");
}

// The goal lines: the gap for each auto scroll setting, and beside it the most CPU time the
// user-interface thread spent between two turns of the loop; scrolling and copying at their
// worst over both runs. A figure from a run that lost rows, or whose scroll or copy did not reach
// its rows, does not meet its goal.
void PrintGoals(const std::vector<Figures>& panes, qsizetype rows)
{
    const QString size = rows == kDefaultRows ? u"1M"_qs : QString::number(rows);
    double scroll = 0;
    double copy = 0;
    bool scrolled = true;
    bool copied = true;
    for (const Figures& pane : panes) {
        const bool allRows = qsizetype(Number(pane, "rows")) == rows + 3;
        const QString setting = Number(pane, "autoscroll") != 0 ? u"on"_qs : u"off"_qs;
        Goal(QStringLiteral("5 UI gap streaming %1 rows, auto scroll %2").arg(size, setting),
             Number(pane, "gap_ms"), kGapGoalMs, allRows);
        // The program's own share of a gap: on a busy machine other processes take the rest.
        Goal(QStringLiteral("5 UI-thread CPU between two loop turns, %1 rows, auto scroll %2")
                 .arg(size, setting),
             Number(pane, "busy_ms"), kGapGoalMs, allRows);
        scroll = std::max(scroll, Number(pane, "scroll_end_ms"));
        copy = std::max(copy, Number(pane, "copy_ms"));
        scrolled = scrolled && allRows && Number(pane, "scroll_reached") != 0 &&
                   Number(pane, "scroll_end_ms") >= 0;
        copied = copied && Number(pane, "copy_complete") != 0 && Number(pane, "copy_ms") >= 0;
    }
    Goal(QStringLiteral("5 scroll to the end of %1 rows").arg(size), scroll, kActionGoalMs,
         scrolled);
    // Fewer when the table has fewer rows.
    const qsizetype copyRows = panes.empty() ? 0 : qsizetype(Number(panes.front(), "copy_rows"));
    Goal(QStringLiteral("5 copy %1 selected rows").arg(copyRows), copy, kActionGoalMs, copied);
}

int RunAll(int argc, char** argv, qsizetype rows, int repeats, const QString& runner)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_gui_stream: cannot create a temporary folder\n");
        return 1;
    }
    const QDir dir(folder.path());
    const QString database = dir.filePath(QStringLiteral("stream.db"));
    QElapsedTimer clock;
    clock.start();
    QByteArray check;
    if (!MakeDatabase(database, rows, check)) {
        std::fprintf(stderr, "bench_gui_stream: cannot make the database\n");
        return 1;
    }
    std::printf("database: %lld rows x 5 columns made in %.1f s (rows, shortest and longest "
                "name, non-NULL notes: %s); load average %s, %d CPUs\n",
                static_cast<long long>(rows), double(clock.elapsed()) / 1000.0, check.constData(),
                LoadAverage().constData(), QThread::idealThreadCount());
    const QString sqlFile = dir.filePath(QStringLiteral("query.sql"));
    CBenchOdbcConfig odbc;
    if (!MakeOdbcConfig(odbc, dir, database) || !WriteFile(sqlFile, kQuery.toUtf8())) {
        std::fprintf(stderr, "bench_gui_stream: cannot write the ODBC configuration\n");
        return 1;
    }
    std::fflush(stdout);

    const QString self = QCoreApplication::applicationFilePath();
    std::vector<Figures> panes;
    // Other processes on a busy machine stretch the gaps: each setting runs a few times, and the
    // run with the smallest largest gap is the one reported.
    for (const bool autoScroll : {false, true}) {
        std::optional<Figures> best;
        QByteArray gaps;
        for (int repeat = 0; repeat < repeats; ++repeat) {
            const std::optional<Figures> figures = PaneRunInChild(self, autoScroll);
            if (!figures) {
                std::fprintf(stderr, "bench_gui_stream: the pane run failed\n");
                return 1;
            }
            gaps += ' ' + figures->value(u"gap_ms"_qs).toUtf8();
            if (!best || Number(*figures, "gap_ms") < Number(*best, "gap_ms")) {
                best = figures;
            }
        }
        std::printf("auto scroll %s: largest gap of each of %d runs (ms):%s\n",
                    autoScroll ? "on" : "off", repeats, gaps.constData());
        panes.push_back(*best);
    }
    std::fflush(stdout);
    const RunnerFigures headless = RunRunner(runner, sqlFile);

    std::printf("event loop gap: largest interval between two timeouts of a 1 ms precise QTimer "
                "on the UI thread (%s), from Run to the last merged batch\n\n",
                qUtf8Printable(panes.front().value(u"dispatcher"_qs)));
    std::printf("%-22s %10s %10s %9s %8s %9s %10s %10s\n", "run", "wall ms", "rows", "gap ms",
                "p99 ms", ">=50 ms", "bytes/row", "cpu s");
    for (const Figures& pane : panes) {
        const double rowCount = Number(pane, "rows");
        const double bytesPerRow =
            (Number(pane, "rss_after_kb") - Number(pane, "rss_before_kb")) * 1024.0 / rowCount;
        const bool autoScroll = Number(pane, "autoscroll") != 0;
        std::printf("%-22s %10.1f %10.0f %9.2f %8.2f %9.0f %10.1f %10.3f\n",
                    autoScroll ? "pane, auto scroll on" : "pane, auto scroll off",
                    Number(pane, "wall_ms"), rowCount, Number(pane, "gap_ms"),
                    Number(pane, "p99_ms"), Number(pane, "over_goal"), bytesPerRow,
                    Number(pane, "cpu_all_s"));
    }
    std::printf("%-22s %10.1f %10s %9s %8s %9s %10s %10.3f\n", "tessella-run > /dev/null",
                headless.wallMs, "-", "-", "-", "-", "-", headless.cpuSeconds);
    std::printf("\n");
    for (const Figures& pane : panes) {
        const double gap = Number(pane, "gap_ms");
        std::printf("auto scroll %-3s: largest gap %.2f ms (goal: under %.0f ms) %s, at %.0f ms "
                    "into the run with %.0f rows merged; the UI thread ran %.2f ms of it; the "
                    "most UI-thread CPU between two ticks %.2f ms\n",
                    Number(pane, "autoscroll") != 0 ? "on" : "off", gap, kGapGoalMs,
                    gap < kGapGoalMs ? "met" : "NOT met", Number(pane, "gap_at_ms"),
                    Number(pane, "gap_rows"), Number(pane, "gap_cpu_ms"), Number(pane, "busy_ms"));
        std::printf(
            "                 slowest event: %s, %.2f ms of UI-thread CPU (%.2f ms wall) at "
            "%.0f ms, with %.0f rows merged before it\n",
            qUtf8Printable(pane.value(u"slow_event"_qs)), Number(pane, "slow_cpu_ms"),
            Number(pane, "slow_wall_ms"), Number(pane, "slow_at_ms"), Number(pane, "slow_rows"));
        std::printf("                 UI thread CPU %.3f s of the process's %.3f s; %.0f batches; "
                    "RSS %.1f -> %.1f MB; row text %.1f characters, %.1f bytes held a row\n",
                    Number(pane, "cpu_ui_s"), Number(pane, "cpu_all_s"), Number(pane, "batches"),
                    Number(pane, "rss_before_kb") / 1024.0, Number(pane, "rss_after_kb") / 1024.0,
                    Number(pane, "text_chars"), Number(pane, "held_bytes"));
    }
    for (const Figures& pane : panes) {
        std::printf("auto scroll %-3s: Ctrl+End to the last of %.0f rows, painted: %.2f ms "
                    "(Ctrl+Home %.2f ms), best of %d, row reached: %s; copying %.0f selected rows: "
                    "%.2f ms (selecting them %.2f ms), best of %d, clipboard complete: %s\n",
                    Number(pane, "autoscroll") != 0 ? "on" : "off", Number(pane, "rows"),
                    Number(pane, "scroll_end_ms"), Number(pane, "scroll_home_ms"), kActionRepeats,
                    Number(pane, "scroll_reached") != 0 ? "yes" : "NO", Number(pane, "copy_rows"),
                    Number(pane, "copy_ms"), Number(pane, "select_ms"), kActionRepeats,
                    Number(pane, "copy_complete") != 0 ? "yes" : "NO");
    }
    std::printf("tessella-run: wall %.1f ms, exit code %d; pane run (auto scroll off) / "
                "tessella-run: %.2f\n",
                headless.wallMs, headless.exitCode,
                Number(panes.front(), "wall_ms") / headless.wallMs);
    for (const Figures& pane : panes) {
        // The connection's title row, the column names and the end-of-data message come with
        // the data rows.
        if (qsizetype(Number(pane, "rows")) != rows + 3) {
            std::printf("WARNING: a pane run ended with %s rows, not %lld\n",
                        qUtf8Printable(pane.value(u"rows"_qs)), static_cast<long long>(rows + 3));
        }
    }
    std::printf("load average (1, 5, 15 min) at the end: %s\n", LoadAverage().constData());
    PrintGoals(panes, rows);
    return headless.exitCode == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    odbc::EnsureUtf8Locale();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qsizetype rows = kDefaultRows;
    int repeats = kDefaultRepeats;
    QString runner = QStringLiteral(TESSELLA_RUNNER_PATH);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--pane-run") == 0 && i + 1 < argc) {
            return RunPane(argc, argv, std::strcmp(argv[i + 1], "1") == 0);
        }
        if (std::strcmp(argv[i], "--rows") == 0 && i + 1 < argc) {
            rows = QByteArray(argv[++i]).toLongLong();
        } else if (std::strcmp(argv[i], "--repeats") == 0 && i + 1 < argc) {
            repeats = QByteArray(argv[++i]).toInt();
        } else if (std::strcmp(argv[i], "--runner") == 0 && i + 1 < argc) {
            runner = QString::fromLocal8Bit(argv[++i]);
        } else {
            std::fprintf(stderr,
                         "usage: bench_gui_stream [--rows N] [--repeats N] [--runner PATH]\n");
            return 2;
        }
    }
    if (rows < 1 || repeats < 1) {
        std::fprintf(stderr, "bench_gui_stream: --rows and --repeats need a positive number\n");
        return 2;
    }
    return RunAll(argc, argv, rows, repeats, runner);
}
