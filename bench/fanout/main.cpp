// Many connections in one document: tessella-run on a document of 50, 100 and 200 entries, all on
// the PostgreSQL test server, each entry reading the same numbered rows. Every size runs twice,
// with every entry at once and with --jobs 8; each run reports its wall time, CPU time and peak
// resident size. There is no figure to reach: the goal of each run is that every entry's group is
// exact — its title in the document's place, the header, every row in order from one server
// session, the end line.
//
//   bench_fanout    (the servers of scripts/test-servers.sh)

#include "CBenchOdbcConfig.h"
#include "CChildProcess.h"
#include "GoalLine.h"
#include "document/CDocumentFile.h"
#include "odbc/LocaleSetup.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRows = 1000;
constexpr int kJobs = 8;
constexpr int kEntryCounts[] = {50, 100, 200};

void Say(const QString& text)
{
    std::fputs((text + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

bool SaveDocument(const QString& path, const QString& dsn, const CBenchOdbcConfig::Login& login,
                  int entries)
{
    CDocumentContent content;
    CConnectionData entry;
    entry.m_dataSource = dsn;
    entry.m_login = login.user;
    entry.m_password = login.password;
    for (int i = 0; i < entries; ++i) {
        content.connections.append(entry);
    }
    content.sqlText =
        u"SELECT pg_backend_pid() AS pid, i FROM generate_series(1, %1) AS i"_qs.arg(kRows);
    QString error;
    return CDocumentFile::Save(path, content, error);
}

// Reads the runner's output one line at a time and counts the groups that are exact.
class CGroupCheck
{
public:
    CGroupCheck(const QString& dsn, const QString& user) : m_dsn(dsn), m_user(user) {}

    void Take(QByteArray line)
    {
        if (line.endsWith('\n')) {
            line.chop(1);
        }
        if (line.startsWith("0\t")) {
            Close();
            ++m_group;
            m_read = 0;
            m_good = line == "0\t" + Title(m_group);
            return;
        }
        ++m_read;
        if (m_read == 1) {
            m_good = m_good && line == "4\tpid\ti";
        } else if (m_read <= kRows + 1) {
            // Every row of a group from the one session that sent its first.
            const qsizetype tab = line.lastIndexOf('\t');
            if (m_read == 2) {
                m_session = line.left(tab);
            }
            m_good = m_good && line.left(tab) == m_session &&
                     line.mid(tab + 1) == QByteArray::number(m_read - 1);
        } else {
            m_good = m_good && m_read == kRows + 2 && line == "1\tEnd(No data found)";
        }
    }
    // The number of exact groups, once every line is taken; a group too many or too few leaves
    // one entry at least inexact.
    int Exact(int entries)
    {
        Close();
        return m_group + 1 == entries ? m_exact : std::min(m_exact, entries - 1);
    }

private:
    QByteArray Title(int group) const
    {
        return QStringLiteral("%1 #%2 (%3)").arg(m_dsn).arg(group + 1).arg(m_user).toUtf8();
    }
    void Close()
    {
        if (m_group >= 0 && m_good && m_read == kRows + 2) {
            ++m_exact;
        }
        m_good = false;
    }

    QString m_dsn;
    QString m_user;
    int m_group = -1;
    int m_read = 0;
    bool m_good = false;
    QByteArray m_session;
    int m_exact = 0;
};

int ExactGroups(const QString& path, const QString& dsn, const QString& user, int entries)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return 0;
    }
    CGroupCheck check(dsn, user);
    while (!file.atEnd()) {
        check.Take(file.readLine());
    }
    return check.Exact(entries);
}

// One run of the document; false when the runner could not be run at all.
bool RunOnce(const QString& document, int entries, int jobs, const QString& dsn,
             const QString& user, const QTemporaryDir& work)
{
    QStringList arguments{document};
    if (jobs > 0) {
        arguments = QStringList{u"--jobs"_qs, QString::number(jobs), document};
    }
    CChildProcess runner(QStringLiteral(TESSELLA_RUNNER_PATH), arguments);
    runner.SetOutput(work.filePath(u"out.txt"_qs));
    runner.SetErrors(work.filePath(u"err.txt"_qs));
    const CChildProcess::Outcome outcome = runner.Run();
    if (outcome.exitCode < 0) {
        Say(u"bench_fanout: tessella-run did not run to its end"_qs);
        return false;
    }
    const int exact = ExactGroups(runner.Output(), dsn, user, entries);
    const QString how = jobs > 0 ? QStringLiteral("--jobs %1").arg(jobs) : u"all at once"_qs;
    const double peakMiB = double(outcome.peakResidentBytes) / double(1 << 20);
    Say(QStringLiteral("%1 entries x %2 rows, %3: %4 wall, %5 CPU, peak resident %6 MiB, exit %7, "
                       "%8 of %1 groups exact")
            .arg(entries)
            .arg(kRows)
            .arg(how, Seconds(outcome.seconds), Seconds(outcome.cpuSeconds))
            .arg(peakMiB, 0, 'f', 1)
            .arg(outcome.exitCode)
            .arg(exact));
    GoalLine{QStringLiteral("fanout %1 entries, %2").arg(entries).arg(how),
             QStringLiteral("%1, %2 MiB").arg(Seconds(outcome.seconds)).arg(peakMiB, 0, 'f', 1),
             QStringLiteral("%1/%2 groups exact").arg(exact).arg(entries),
             double(entries - exact) / entries, 0.0}
        .Print();
    return true;
}

// Every size of document, each run both ways; false when one could not be made or run.
bool RunAll(const QString& dsn, const CBenchOdbcConfig::Login& login)
{
    QTemporaryDir work;
    if (!work.isValid()) {
        Say(u"bench_fanout: cannot make a temporary folder"_qs);
        return false;
    }
    for (const int entries : kEntryCounts) {
        const QString document = work.filePath(QStringLiteral("fanout-%1.tsl").arg(entries));
        if (!SaveDocument(document, dsn, login, entries)) {
            Say(u"bench_fanout: cannot write "_qs + document);
            return false;
        }
        for (const int jobs : {0, kJobs}) {
            if (!RunOnce(document, entries, jobs, dsn, login.user, work)) {
                return false;
            }
        }
    }
    return true;
}

// The exit code: 0 also when the servers are not there, 1 when the benchmark could not run.
int Bench()
{
    CBenchOdbcConfig config;
    const QString dsn = u"BenchFanOutPg"_qs;
    const auto driver = CBenchOdbcConfig::Driver::Postgres;
    if (!config.Valid()) {
        Say(u"bench_fanout: cannot make the private ODBC folder"_qs);
    } else if (!config.AddServer(dsn, driver, config.ServerDatabase(driver))) {
        Say(u"bench_fanout: skipped, "_qs + config.ServerProblem());
        return 0;
    }
    return config.Valid() && RunAll(dsn, config.ServerLogin(driver)) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    odbc::EnsureUtf8Locale();
    QCoreApplication application(argc, argv);
    return Bench();
}
