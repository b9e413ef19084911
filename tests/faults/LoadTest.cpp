// Load: many connections streaming at once, and many runs in one process.

#include "FaultHarness.h"
#include "OdbcTestConfig.h"
#include "ResidentMemory.h"
#include "ServerDataSources.h"

#include <iostream>

namespace {

constexpr int kSqliteConnections = 5;
constexpr int kPostgresConnections = 6;
constexpr int kMariaDbConnections = 5;

class Load : public testing::Test
{
protected:
    void TearDown() override
    {
        for (auto& session : dropViews) {
            session->Execute(u"DROP VIEW "_qs + view);
        }
    }

    // Data sources of all three drivers, `count` each, every one with the view.
    void AddConnections(int sqliteCount, int postgresCount, int mariaCount, int rows)
    {
        for (int i = 0; i < sqliteCount; ++i) {
            sqlite.push_back(std::make_unique<SqliteDataSource>());
            AddEntry(u"SQLite"_qs, sqlite.back()->Name(), {}, {}, rows);
        }
        for (int i = 0; i < postgresCount; ++i) {
            const QString dsn = u"LoadPg%1"_qs.arg(i);
            servers.AddPostgres(dsn);
            AddEntry(u"PostgreSQL"_qs, dsn, servers.PostgresUser(), servers.PostgresPassword(),
                     i == 0 ? rows : 0);
        }
        for (int i = 0; i < mariaCount; ++i) {
            const QString dsn = u"LoadMaria%1"_qs.arg(i);
            servers.AddMariaDb(dsn);
            AddEntry(u"MariaDB"_qs, dsn, servers.MariaDbUser(), servers.MariaDbPassword(),
                     i == 0 ? rows : 0);
        }
    }

    // One view per server (the shared ones are reached by several data
    // sources); `rows` 0 for a data source whose server has it already.
    void AddEntry(const QString& server, const QString& dsn, const QString& user,
                  const QString& password, int rows)
    {
        if (rows > 0) {
            auto session = std::make_shared<SideSession>(dsn, user, password);
            ASSERT_TRUE(session->IsOpen()) << session->Problem().toStdString();
            ASSERT_TRUE(session->Execute(CreateNumbersView(server, view, rows)))
                << session->Problem().toStdString();
            if (server != u"SQLite"_qs) {
                dropViews.push_back(session);
            }
        }
        document.m_connections.append(Entry(dsn, user, password));
    }

    const QString view = UniqueViewName("fault_load");
    ServerDataSources servers;
    std::vector<std::unique_ptr<SqliteDataSource>> sqlite;
    std::vector<std::shared_ptr<SideSession>> dropViews;
    CTessellaDoc document;
    RecordingResultsWindow window{document};
};

// Checks every group in one pass over the results: each holds exactly
// 1..rows in order, whatever the interleaving of the batches.
void ExpectNumberedGroups(const CTessellaDoc& document, int rows, int groups)
{
    const QStringList expected = NumberLines(rows);
    QMap<QString, qsizetype> next; // per title: index into `expected`
    QString title;
    const CResultStore& results = document.Results();
    qsizetype mismatches = 0;
    for (qsizetype row = 0; row < results.Count(); ++row) {
        const QString line =
            QString::number(results.At(row).Kind()) + u'|' + results.At(row).Text();
        if (line.startsWith(u"0|"_qs)) {
            title = line.mid(2);
            EXPECT_FALSE(next.contains(title)) << "a second group for " << title.toStdString();
            next[title] = 0;
            continue;
        }
        if (line == u"2|Can't set query timeout"_qs) {
            continue;
        }
        qsizetype& at = next[title];
        if (at >= expected.size() || expected[at] != line) {
            if (++mismatches <= 5) {
                ADD_FAILURE() << title.toStdString() << " line " << at << ": "
                              << line.toStdString();
            }
        }
        ++at;
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(next.size(), groups);
    for (auto it = next.cbegin(); it != next.cend(); ++it) {
        EXPECT_EQ(it.value(), expected.size()) << it.key().toStdString();
    }
}

} // namespace

TEST_F(Load, SixteenConnectionsEachStreamTheirHundredThousandRows)
{
    constexpr int kRows = 100000;
    if (!servers.Available()) {
        GTEST_SKIP() << servers.Problem().toStdString();
    }
    AddConnections(kSqliteConnections, kPostgresConnections, kMariaDbConnections, kRows);
    ASSERT_EQ(document.m_connections.size(), 16);
    document.SetSettingsOverride(CRunSettings{});

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(RunToEnd(document, u"SELECT i FROM "_qs + view, 120000));
    const qint64 elapsed = clock.elapsed();
    std::cout << "[ figures ] 16 connections x " << kRows << " rows: " << elapsed << " ms, "
              << document.Results().Count() << " result lines, resident "
              << ResidentBytes() / (1024 * 1024) << " MB" << std::endl;
    RecordProperty("elapsed_ms", int(elapsed));
    ExpectNumberedGroups(document, kRows, 16);
    for (const auto& thread : document.QueryThreads()) {
        EXPECT_FALSE(thread->Failed()) << thread->Entry().m_dataSource.toStdString();
        EXPECT_EQ(thread->RowsReceived(), kRows) << thread->Entry().m_dataSource.toStdString();
    }
}

TEST_F(Load, TwoHundredRunsLeaveResidentMemoryFlat)
{
    constexpr int kRows = 2000;
    constexpr int kRuns = 200;
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine: resident size grows by "
                    "design there";
#endif
    if (!servers.Available()) {
        GTEST_SKIP() << servers.Problem().toStdString();
    }
    AddConnections(1, 1, 1, kRows);
    document.SetSettingsOverride(CRunSettings{});
    qint64 afterTenth = 0;
    QElapsedTimer clock;
    clock.start();
    for (int run = 1; run <= kRuns; ++run) {
        // The recording window's own note of every batch would grow by itself.
        window.batchSizes.clear();
        ASSERT_TRUE(RunToEnd(document, u"SELECT i FROM "_qs + view)) << "run " << run;
        if (run == 10) {
            afterTenth = ResidentBytes();
        }
    }
    const qint64 afterLast = ResidentBytes();
    ExpectNumberedGroups(document, kRows, 3);
    const double growth = double(afterLast - afterTenth) / double(afterTenth);
    std::cout << "[ figures ] resident after run 10: " << afterTenth / 1024 << " KiB, after run "
              << kRuns << ": " << afterLast / 1024 << " KiB (" << growth * 100 << " %), "
              << clock.elapsed() / kRuns << " ms per run" << std::endl;
    RecordProperty("rss_run10_kib", int(afterTenth / 1024));
    RecordProperty("rss_run200_kib", int(afterLast / 1024));
    ASSERT_GT(afterTenth, 0);
    EXPECT_LT(growth, 0.05);
}
