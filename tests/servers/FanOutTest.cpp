// Two hundred entries of one document on the PostgreSQL server, run by tessella-run all at once
// and a few at a time: every entry's rows arrive whole, in a group of their own, and the groups
// come in the document's order. Each entry counts itself in and out on the server, so that the
// server sees how many query at once: all two hundred together (each waits until all have come),
// or no more than --jobs.

#include "../execution/RunHarness.h"
#include "OdbcTestConfig.h"
#include "ServerDataSources.h"
#include "TimeBounds.h"
#include "document/CDocumentFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int kEntries = 200;
constexpr int kRows = 500;
const QString kEnd = u"1\tEnd(No data found)"_qs;

// The lines of a file, without their line breaks.
QStringList Lines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    if (lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

// Sequences count across sessions at once, outside every transaction: `in` counts the entries
// that have begun, `out` those that are done.
struct Counters
{
    QString in;
    QString out;

    // Counts the entry in and gives how many have begun and are not done, itself included.
    QString Arrive() const
    {
        return u"SELECT nextval('%1') - (SELECT CASE WHEN is_called THEN last_value ELSE 0 END "
               u"FROM %2) AS running ;\n"_qs.arg(in, out);
    }
    // Waits until `entries` have begun, each one holding its session open meanwhile; an error
    // after `waitMs`.
    QString WaitForAll(int entries, qint64 waitMs) const
    {
        return QStringLiteral("DO $$ BEGIN\n"
                              "FOR attempt IN 1..%3 LOOP\n"
                              "  IF (SELECT last_value FROM %1) >= %2 THEN RETURN; END IF;\n"
                              "  PERFORM pg_sleep(0.05);\n"
                              "END LOOP;\n"
                              "RAISE EXCEPTION 'fewer than %2 sessions at once';\n"
                              "END $$ ;\n")
            .arg(in)
            .arg(entries)
            .arg(waitMs / 50);
    }
    QString Leave() const { return u" ;\nSELECT nextval('%1') AS departed"_qs.arg(out); }
};

// The lines of an entry's group, title first; a field "*" stands for a value of the server's.
QStringList GroupShape(const QString& title, bool waitsForAll)
{
    QStringList lines{u"0\t"_qs + title, u"4\trunning"_qs, u"3\t*"_qs, kEnd};
    if (waitsForAll) {
        lines << u"1\tRows affected:\t0"_qs;
    }
    lines << u"4\tpid\ti"_qs;
    for (int i = 1; i <= kRows; ++i) {
        lines << u"3\t*\t"_qs + QString::number(i);
    }
    lines << kEnd << u"4\tdeparted"_qs << u"3\t*"_qs << kEnd;
    return lines;
}

// Why the group at `at` does not have `shape`; empty when it has. `running` gets the count of
// entries under way that the entry saw as it began.
QString GroupProblem(const QStringList& lines, qsizetype at, const QStringList& shape, int& running)
{
    QStringList values;
    for (qsizetype i = 0; i < shape.size(); ++i) {
        const QStringList fields = lines.value(at + i).split(u'\t');
        const QStringList wanted = shape[i].split(u'\t');
        bool same = fields.size() == wanted.size();
        for (qsizetype f = 0; same && f < fields.size(); ++f) {
            if (wanted[f] == u"*") {
                values << fields[f];
            } else {
                same = fields[f] == wanted[f];
            }
        }
        if (!same) {
            return u"line %1: "_qs.arg(i) + lines.value(at + i);
        }
    }
    running = values.first().toInt();
    // Each row names the server session that sent it: rows of another entry show another one.
    const QStringList sessions = values.mid(1, kRows);
    if (sessions.count(sessions.first()) != kRows) {
        return u"rows from more than one session"_qs;
    }
    return {};
}

class FanOut : public testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        if (!servers.AddPostgres(m_name)) {
            GTEST_SKIP() << servers.Problem().toStdString();
        }
        const QStringList made = RunHere(
            u"CREATE SEQUENCE %1 ;\nCREATE SEQUENCE %2"_qs.arg(m_counters.in, m_counters.out));
        ASSERT_TRUE(made.filter(u"2|"_qs).isEmpty()) << made.join(u'\n').toStdString();
        CDocumentContent content;
        for (int i = 0; i < kEntries; ++i) {
            CConnectionData entry;
            entry.m_dataSource = m_name;
            entry.m_login = servers.PostgresUser();
            entry.m_password = servers.PostgresPassword();
            content.connections.append(entry);
        }
        content.sqlText = m_counters.Arrive();
        if (GetParam() == 0) {
            content.sqlText += m_counters.WaitForAll(kEntries, TimeBound(60000));
        }
        content.sqlText +=
            u"SELECT pg_backend_pid() AS pid, i FROM generate_series(1, %1) AS i"_qs.arg(kRows) +
            m_counters.Leave();
        QString error;
        ASSERT_TRUE(CDocumentFile::Save(m_document, content, error)) << error.toStdString();
    }
    void TearDown() override
    {
        if (servers.Available()) {
            RunHere(u"DROP SEQUENCE IF EXISTS %1, %2"_qs.arg(m_counters.in, m_counters.out));
        }
        OdbcTestConfig::Instance().RemoveDataSource(m_name);
    }

    // Runs `sql` on the server in this process; its result lines.
    QStringList RunHere(const QString& sql)
    {
        CTessellaDoc document;
        document.SetSettingsOverride(CRunSettings{});
        document.m_connections.append(
            Entry(m_name, servers.PostgresUser(), servers.PostgresPassword()));
        RecordingResultsWindow window{document};
        EXPECT_TRUE(RunToEnd(document, sql));
        return ResultLines(document);
    }

    QString m_name = u"FanOutPg"_qs;
    // This test's own, whatever else the server serves meanwhile.
    const QString m_id = QString::number(QCoreApplication::applicationPid());
    const Counters m_counters{u"fanout_in_"_qs + m_id, u"fanout_out_"_qs + m_id};
    ServerDataSources servers;
    QTemporaryDir m_dir;
    QString m_document = m_dir.filePath(u"fan-out.tsl"_qs);
};

} // namespace

TEST_P(FanOut, EveryGroupIsExactAndInTheDocumentsOrder)
{
    const int jobs = GetParam();
    QStringList args{m_document};
    if (jobs > 0) {
        args = QStringList{u"--jobs"_qs, QString::number(jobs), m_document};
    }
    const QString output = m_dir.filePath(u"out.txt"_qs);
    QProcess runner;
    runner.setStandardOutputFile(output);
    runner.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    runner.start(QStringLiteral(TESSELLA_RUN_BINARY), args);
    // Loose: only a run that hangs must fail here.
    ASSERT_TRUE(runner.waitForFinished(int(TimeBound(180000))));
    EXPECT_EQ(runner.exitCode(), 0) << "its errors stand above";
    const QStringList lines = Lines(output);
    int inexact = 0;
    int mostRunning = 0;
    qsizetype at = 0;
    for (int entry = 0; entry < kEntries; ++entry) {
        const QString title =
            u"%1 #%2 (%3)"_qs.arg(m_name).arg(entry + 1).arg(servers.PostgresUser());
        const QStringList shape = GroupShape(title, jobs == 0);
        int running = 0;
        const QString problem = GroupProblem(lines, at, shape, running);
        if (!problem.isEmpty() && ++inexact <= 5) {
            ADD_FAILURE() << title.toStdString() << ": " << problem.toStdString();
        }
        mostRunning = std::max(mostRunning, running);
        at += shape.size();
    }
    EXPECT_EQ(inexact, 0);
    EXPECT_EQ(at, lines.size()) << "nothing after the last group";
    if (jobs > 0) {
        EXPECT_LE(mostRunning, jobs);
        EXPECT_GT(mostRunning, 1) << "the entries still overlap";
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, FanOut, testing::Values(0, 8),
                         [](const testing::TestParamInfo<int>& info) {
                             return info.param == 0 ? std::string("AllAtOnce")
                                                    : "AtMost" + std::to_string(info.param);
                         });
