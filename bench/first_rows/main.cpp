// Run to the first rows: the headless document (as tessella-run has it, a results window that
// takes every batch) runs `SELECT * FROM t` on the 1,000,000-row table of CBenchDataSet, and the
// figure is the time from Run to the moment the tenth row has reached the window. The data
// sources say nothing of how their driver should fetch (no StepAPI, no UseDeclareFetch, no
// OPTION bits): what the program chooses is what is measured.
//
// Every round is a fresh document, so the connect is part of it, as on a user's first Run. Once
// the rows are there the run is stopped, and the kept connection then runs a second statement:
// both are timed as well, since a driver that streams its result has to give up the rest of it
// there.
//
//   bench_first_rows [--rounds N] [--drivers sqlite,postgres,mariadb]
//
// The SQLite file lives in $TESSELLA_BENCH_DIR (default /tmp/tessella-bench-fetch); PostgreSQL and
// MariaDB need scripts/test-servers.sh start.

#include "CBenchDataSet.h"
#include "CBenchOdbcConfig.h"
#include "GoalLine.h"
#include "execution/CRegisteredEvents.h"
#include "execution/CSqlTextSource.h"
#include "execution/CTessellaDoc.h"
#include "odbc/LocaleSetup.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Driver = CBenchOdbcConfig::Driver;

constexpr qsizetype kFirstRows = 10;
constexpr double kGoalMs = 300;
constexpr int kGiveUpMs = 60000;

void Say(const QString& text)
{
    std::fputs((text + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

// Counts the rows of every batch that reaches it, then lets the elements go as the runner does,
// and calls back once when the count first reaches kFirstRows.
class CFirstRowsWindow : public QObject
{
public:
    CFirstRowsWindow(CTessellaDoc& document, std::function<void()> onFirstRows)
        : m_document(document), m_onFirstRows(std::move(onFirstRows))
    {
        m_document.SetResultsWindow(this);
    }

    qsizetype Rows() const { return m_rows; }
    const QStringList& Errors() const { return m_errors; }
    bool SawRow(const QString& text) const { return m_rowTexts.contains(text); }
    void Reset()
    {
        m_rows = 0;
        m_errors.clear();
        m_rowTexts.clear();
    }

protected:
    bool event(QEvent* event) override
    {
        CRegisteredEvents::Received(event);
        if (event->type() != CRegisteredEvents::ArrayPost()) {
            return QObject::event(event);
        }
        CPostElemArray& batch = *static_cast<CArrayPostEvent*>(event)->Batch();
        const qsizetype before = m_rows;
        for (qsizetype i = 0; i < batch.size(); ++i) {
            const CBufferElem& element = batch.At(i);
            // Copies of their own: the texts are the batch's, gone once it is released.
            const QString text(element.m_text.constData(), element.m_text.size());
            if (element.m_kind == ElemRow) {
                ++m_rows;
                if (m_rowTexts.size() < kFirstRows) {
                    m_rowTexts << text;
                }
            } else if (element.m_kind == ElemError) {
                m_errors << text;
            }
        }
        m_document.ReleaseBatch(batch);
        if (before < kFirstRows && m_rows >= kFirstRows) {
            m_onFirstRows();
        }
        return true;
    }

private:
    CTessellaDoc& m_document;
    std::function<void()> m_onFirstRows;
    qsizetype m_rows = 0;
    QStringList m_errors;
    QStringList m_rowTexts;
};

struct Round
{
    double firstRowsMs = -1; // -1: the rows never came
    double stopMs = -1;
    double nextStatementMs = -1;
    bool nextStatementRight = false;
    QString problem;
};

// `ms`: on `clock`, when the run had ended and its last batches were in.
bool WaitIdle(CTessellaDoc& document, const QElapsedTimer& clock, double& ms)
{
    const QDeadlineTimer giveUp(kGiveUpMs);
    while (!document.IsIdle() && !giveUp.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    }
    QCoreApplication::sendPostedEvents(nullptr, CRegisteredEvents::ArrayPost());
    ms = double(clock.nsecsElapsed()) / 1e6;
    return document.IsIdle();
}

Round MeasureRound(const CConnectionData& entry)
{
    Round round;
    QEventLoop waiting;
    CTessellaDoc document;
    document.SetLowPriorityThreads(false);
    document.SetSettingsOverride(CRunSettings{});
    document.m_connections.append(entry);
    CFirstRowsWindow window(document, [&waiting] { waiting.quit(); });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, &waiting, &QEventLoop::quit);

    QElapsedTimer clock;
    clock.start();
    CStringTextSource query(u"SELECT * FROM t"_qs);
    document.StartRun(query);
    giveUp.start(kGiveUpMs);
    waiting.exec();
    if (window.Rows() >= kFirstRows) {
        round.firstRowsMs = double(clock.nsecsElapsed()) / 1e6;
    } else {
        round.problem = u"no first rows: "_qs + window.Errors().join(u" / "_qs);
    }
    clock.restart();
    document.StopRun(0);
    if (!WaitIdle(document, clock, round.stopMs)) {
        round.problem += u" the stop did not end the run"_qs;
        return round;
    }
    window.Reset();
    clock.restart();
    CStringTextSource next(u"SELECT 42 AS answer"_qs);
    document.StartRun(next);
    if (WaitIdle(document, clock, round.nextStatementMs)) {
        round.nextStatementRight = window.SawRow(u"42"_qs) && window.Errors().isEmpty();
    }
    if (!round.nextStatementRight) {
        round.problem +=
            u" the kept connection's next statement: "_qs + window.Errors().join(u" / "_qs);
    }
    return round;
}

double Best(std::vector<double> values)
{
    return values.empty() ? -1 : *std::min_element(values.begin(), values.end());
}

double Median(std::vector<double> values)
{
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

QString Ms(double ms)
{
    return QStringLiteral("%1 ms").arg(ms, 0, 'f', 1);
}

void Measure(Driver driver, const CConnectionData& entry, int rounds)
{
    const QString name = CBenchOdbcConfig::DriverName(driver);
    std::vector<double> first;
    std::vector<double> stop;
    std::vector<double> next;
    for (int i = 0; i < rounds; ++i) {
        const Round round = MeasureRound(entry);
        if (!round.problem.isEmpty()) {
            Say(QStringLiteral("%1 round %2: %3").arg(name).arg(i + 1).arg(round.problem));
        }
        if (round.firstRowsMs < 0 || round.stopMs < 0 || !round.nextStatementRight) {
            GoalLine{u"1 first rows "_qs + name, u"none"_qs, Ms(kGoalMs), 1e9, 1.0}.Print();
            return;
        }
        first.push_back(round.firstRowsMs);
        stop.push_back(round.stopMs);
        next.push_back(round.nextStatementMs);
    }
    Say(QStringLiteral("%1, %2 rounds (best / median): first %3 rows %4 / %5, stop %6 / %7, "
                       "the kept connection's next statement %8 / %9")
            .arg(name)
            .arg(rounds)
            .arg(kFirstRows)
            .arg(Ms(Best(first)), Ms(Median(first)), Ms(Best(stop)), Ms(Median(stop)),
                 Ms(Best(next)), Ms(Median(next))));
    // The median: a first row that comes at once only now and then is not at once.
    const double figure = Median(first);
    GoalLine{u"1 first rows "_qs + name, Ms(figure), Ms(kGoalMs), figure / kGoalMs, 1.0}.Print();
}

} // namespace

int main(int argc, char** argv)
{
    odbc::EnsureUtf8Locale();
    QCoreApplication application(argc, argv);
    int rounds = 5;
    QStringList drivers{u"sqlite"_qs, u"postgres"_qs, u"mariadb"_qs};
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == u"--rounds") {
            rounds = std::max(1, arguments[i + 1].toInt());
        } else if (arguments[i] == u"--drivers") {
            drivers = arguments[i + 1].toLower().split(u',', Qt::SkipEmptyParts);
        }
    }
    CBenchOdbcConfig config;
    const QString folder = CBenchOdbcConfig::BenchFolder();
    if (!config.Valid() || !QDir().mkpath(folder)) {
        Say(u"bench_first_rows: cannot make the private ODBC folder or "_qs + folder);
        return 1;
    }
    // The user's settings stay out of it.
    qputenv("XDG_CONFIG_HOME", QDir(folder).filePath(u"config"_qs).toLocal8Bit());
    // The history of runs goes there too, not into the user's.
    qputenv("XDG_DATA_HOME", QDir(folder).filePath(u"data"_qs).toLocal8Bit());
    bool allMeasured = true;
    for (const Driver driver : {Driver::Sqlite, Driver::Postgres, Driver::MariaDb}) {
        if (!drivers.contains(CBenchOdbcConfig::DriverKey(driver))) {
            continue;
        }
        const QString name = CBenchOdbcConfig::DriverName(driver);
        CBenchDataSet data(driver, CBenchDataSet::DefaultRows());
        const QString dsn = u"First"_qs + name;
        if (!data.Provide(config, dsn, folder, false)) {
            Say(name + u": skipped, "_qs + data.Message());
            allMeasured = false;
            continue;
        }
        Say(QStringLiteral("%1: table t %2").arg(name, data.Message()));
        const CBenchOdbcConfig::Login login = config.ServerLogin(driver);
        CConnectionData entry;
        entry.m_dataSource = dsn;
        entry.m_login = login.user;
        entry.m_password = login.password;
        Measure(driver, entry, rounds);
    }
    return allMeasured ? 0 : 1;
}
