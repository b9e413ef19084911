// Whole runs of a document on SQLite: threads, batches, kept connections.

#include "OdbcTestConfig.h"
#include "RunHarness.h"
#include "TimeBounds.h"
#include "odbc/CThreadODBC.h"

#include <QScopeGuard>
#include <QSettings>

#include <gtest/gtest.h>

#include <atomic>
#include <system_error>

namespace {

QString Rows(int count)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                          "WHERE i < %1) SELECT i FROM n")
        .arg(count);
}

class Run : public testing::Test
{
protected:
    void SetUp() override
    {
        document.SetSettingsOverride(settings);
        document.m_connections.append(Entry(source.Name()));
    }
    void UseSettings(const CRunSettings& changed)
    {
        settings = changed;
        document.SetSettingsOverride(settings);
    }

    CRunSettings settings;
    SqliteDataSource source;
    CTessellaDoc document;
    RecordingResultsWindow window{document};
};

// Counts WM_CHECKCONNECTIONS.
class CountingTree : public QObject
{
public:
    bool event(QEvent* event) override
    {
        CRegisteredEvents::Received(event);
        if (event->type() == CRegisteredEvents::CheckConnections()) {
            ++checks;
            return true;
        }
        return QObject::event(event);
    }
    int checks = 0;
};

} // namespace

TEST_F(Run, FiveRowsArriveAsOneFinalBatchOfSeven)
{
    ASSERT_TRUE(RunToEnd(document, Rows(5)));
    ASSERT_EQ(window.batchSizes.size(), 1u);
    EXPECT_EQ(window.batchSizes[0].second, 7);
    EXPECT_EQ(ResultLines(document),
              (QStringList{u"0|"_qs + source.Name(), u"4|i"_qs, u"3|1"_qs, u"3|2"_qs, u"3|3"_qs,
                           u"3|4"_qs, u"3|5"_qs, u"1|End(No data found)"_qs}));
}

TEST_F(Run, ElementsArriveInBatchesOfTenThenHundreds)
{
    // A header, 213 rows and the end line: 215 elements.
    ASSERT_TRUE(RunToEnd(document, Rows(213)));
    std::vector<qsizetype> sizes;
    for (const auto& [name, size] : window.batchSizes) {
        EXPECT_EQ(name, source.Name());
        sizes.push_back(size);
    }
    EXPECT_EQ(sizes, (std::vector<qsizetype>{10, 100, 100, 5}));
    EXPECT_EQ(document.Results().Count(), 216);
}

TEST_F(Run, NothingArrivesAfterAStop)
{
    CStringTextSource sql(Rows(50'000'000));
    document.StartRun(sql);
    while (document.Results().Count() < 500) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    document.StopRun(0);
    ASSERT_TRUE(WaitUntilIdle(document, 20000)) << "the stop ends the thread";
    const qsizetype rows = document.Results().Count();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(document.Results().Count(), rows);
    EXPECT_LT(rows, 1'000'000);
    const QStringList lines = ResultLines(document);
    EXPECT_FALSE(lines.contains(u"1|End(No data found)"_qs)) << "the stopped result set has no end";
    EXPECT_FALSE(document.QueryThreads()[0].Failed()) << "a stop is no failure";
}

TEST_F(Run, KeptConnectionServesTheNextRun)
{
    // A temporary table lives as long as its connection.
    ASSERT_TRUE(
        RunToEnd(document, u"CREATE TEMP TABLE t (x INTEGER) ;\nINSERT INTO t VALUES (7)"_qs));
    EXPECT_TRUE(document.IsDataSourceConnected(source.Name(), true));
    ASSERT_TRUE(RunToEnd(document, u"SELECT x FROM t"_qs));
    EXPECT_TRUE(ResultLines(document).contains(u"3|7"_qs))
        << ResultLines(document).join(u'\n').toStdString();
}

TEST_F(Run, ReconnectEveryRunConnectsAfresh)
{
    CRunSettings reconnect;
    reconnect.reconnect = true;
    UseSettings(reconnect);
    ASSERT_TRUE(RunToEnd(document, u"CREATE TEMP TABLE t (x INTEGER)"_qs));
    EXPECT_FALSE(document.IsDataSourceConnected(source.Name(), false)) << "disconnected at the end";
    EXPECT_FALSE(document.HasKeptConnection(source.Name()));
    ASSERT_TRUE(RunToEnd(document, u"SELECT x FROM t"_qs));
    EXPECT_EQ(document.Results().At(1).Kind(), ElemError) << "a new connection has no table t";
}

TEST_F(Run, ResetDuringARunWaitsForTheNextRun)
{
    ASSERT_TRUE(RunToEnd(document, u"CREATE TEMP TABLE t (x INTEGER)"_qs));
    // Not idle from the moment Run returns: the preparation has begun.
    CStringTextSource work(Rows(1000));
    document.StartRun(work);
    document.ResetConnection(source.Name());
    EXPECT_EQ(document.PendingResets(), QStringList{source.Name()});
    ASSERT_TRUE(WaitUntilIdle(document));
    EXPECT_TRUE(document.IsDataSourceConnected(source.Name(), true))
        << "not closed under the thread";

    ASSERT_TRUE(RunToEnd(document, u"SELECT x FROM t"_qs));
    EXPECT_TRUE(document.PendingResets().isEmpty());
    EXPECT_EQ(document.Results().At(1).Kind(), ElemError) << "the reset came before the run";
}

TEST_F(Run, ResetWhileIdleClosesAtOnce)
{
    ASSERT_TRUE(RunToEnd(document, u"SELECT 1"_qs));
    ASSERT_TRUE(document.IsDataSourceConnected(source.Name(), true));
    document.ResetConnection(source.Name());
    EXPECT_FALSE(document.HasKeptConnection(source.Name()));
    EXPECT_FALSE(document.IsDataSourceConnected(source.Name(), false));
}

TEST_F(Run, DisabledEntriesGetNoThread)
{
    SqliteDataSource other;
    CConnectionData disabled = Entry(other.Name());
    disabled.m_enabled = 0;
    document.m_connections.append(disabled);
    ASSERT_TRUE(RunToEnd(document, u"SELECT 1"_qs));
    EXPECT_EQ(document.QueryThreads().size(), 1u);

    document.m_connections[0].m_enabled = 0;
    ASSERT_TRUE(RunToEnd(document, u"SELECT 1"_qs));
    EXPECT_EQ(document.QueryThreads().size(), 0u);
    EXPECT_EQ(document.Results().Count(), 0);
}

TEST_F(Run, EmptySqlCreatesNoThread)
{
    ASSERT_TRUE(RunToEnd(document, QString()));
    EXPECT_EQ(document.QueryThreads().size(), 0u);
    EXPECT_TRUE(document.IsIdle());
}

TEST_F(Run, EveryBatchRunsInOrder)
{
    ASSERT_TRUE(RunToEnd(document, u"SELECT 'a' AS x ;\nSELECT 'b' AS y ;\n"_qs));
    EXPECT_EQ(document.Batches().size(), 3) << "the empty text after the last separator too";
    const QStringList lines = ResultLines(document);
    EXPECT_EQ(lines.mid(0, 7), (QStringList{u"0|"_qs + source.Name(), u"4|x"_qs, u"3|a"_qs,
                                            u"1|End(No data found)"_qs, u"4|y"_qs, u"3|b"_qs,
                                            u"1|End(No data found)"_qs}));
}

TEST_F(Run, IgnoreInfoLeavesOutInformationButNotCounts)
{
    CRunSettings quiet;
    quiet.ignoreInfo = true;
    UseSettings(quiet);
    ASSERT_TRUE(RunToEnd(document, u"CREATE TABLE t (x) ;\nSELECT 1 AS one"_qs));
    EXPECT_EQ(
        ResultLines(document),
        (QStringList{u"0|"_qs + source.Name(), u"1|Rows affected:\t0"_qs, u"4|one"_qs, u"3|1"_qs}));
}

TEST_F(Run, SameDataSourceTwiceUsesTwoConnections)
{
    document.m_connections.append(Entry(source.Name()));
    ASSERT_TRUE(RunToEnd(document, u"CREATE TEMP TABLE mine (x INTEGER) ;\nSELECT 5 AS five"_qs));
    ASSERT_EQ(document.QueryThreads().size(), 2u);
    // Each thread created its temporary table on a connection of its own.
    EXPECT_EQ(ResultLines(document).filter(u"Rows affected"_qs).size(), 2);
    EXPECT_EQ(ResultLines(document).filter(u"3|5"_qs).size(), 2);
    EXPECT_TRUE(ResultLines(document).filter(u"2|"_qs).isEmpty())
        << ResultLines(document).join(u'\n').toStdString();
    EXPECT_TRUE(document.IsDataSourceConnected(source.Name(), false));
}

TEST_F(Run, FailedConnectionShowsErrorsAndOthersRunOn)
{
    document.m_connections.prepend(Entry(u"NoSuchSource"_qs));
    ASSERT_TRUE(RunToEnd(document, u"SELECT 3 AS three"_qs));
    const QStringList lines = ResultLines(document);
    EXPECT_TRUE(lines.contains(u"3|3"_qs));
    EXPECT_FALSE(lines.filter(u"IM002"_qs).isEmpty()) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(document.QueryThreads()[0].Failed());
    EXPECT_FALSE(document.QueryThreads()[1].Failed());
}

TEST_F(Run, RunAndStopFollowTheThreads)
{
    EXPECT_TRUE(document.CanRun());
    EXPECT_FALSE(document.CanStop());
    CStringTextSource slow(Rows(50'000'000));
    document.StartRun(slow);
    EXPECT_FALSE(document.CanRun());
    EXPECT_TRUE(document.CanStop());
    CStringTextSource ignored(u"SELECT 'second'"_qs);
    document.StartRun(ignored); // ignored while running
    document.StopRun(1);        // waits
    EXPECT_TRUE(document.IsIdle());
    EXPECT_TRUE(document.CanRun());
    EXPECT_FALSE(ResultLines(document).contains(u"3|second"_qs));

    CTessellaDoc empty;
    EXPECT_FALSE(empty.CanRun()) << "no connection, nothing to run";
}

TEST_F(Run, TheConnectionTreeHearsOfConnects)
{
    CountingTree tree;
    document.SetConnectionTree(&tree);
    ASSERT_TRUE(RunToEnd(document, u"SELECT 1"_qs));
    QCoreApplication::sendPostedEvents(&tree);
    EXPECT_GE(tree.checks, 1);
    document.SetConnectionTree(nullptr);
}

TEST(RunSettings, DefaultsAndSaveRules)
{
    QSettings(u"MarrowindTeam"_qs, u"Tessella"_qs).remove(u"Settings"_qs);
    CRunSettings loaded = CRunSettings::Load();
    EXPECT_EQ(loaded.separator, u";"_qs);
    EXPECT_TRUE(loaded.useSeparator);
    EXPECT_FALSE(loaded.ignoreInfo);
    EXPECT_FALSE(loaded.reconnect);
    EXPECT_EQ(loaded.connectionsAtOnce, 0) << "all at once";

    CRunSettings changed;
    changed.separator = u"GO"_qs;
    changed.reconnect = true;
    changed.connectionsAtOnce = 8;
    changed.Save();
    EXPECT_EQ(CRunSettings::Load().connectionsAtOnce, 8);
    for (const QString& refused : {QString(), u" "_qs}) {
        CRunSettings keep = CRunSettings::Load();
        keep.separator = refused;
        keep.Save();
        EXPECT_EQ(CRunSettings::Load().separator, u"GO"_qs);
    }
    CRunSettings blanks;
    blanks.separator = u"  "_qs;
    blanks.Save();
    EXPECT_EQ(CRunSettings::Load().separator, u"  "_qs);
    EXPECT_FALSE(CRunSettings::Load().reconnect);

    QSettings store(u"MarrowindTeam"_qs, u"Tessella"_qs);
    EXPECT_EQ(store.value(u"Settings/USESEP"_qs).toInt(), 1);
    for (const char* unusable : {"-3", "many"}) {
        store.setValue(u"Settings/ConnectionsAtOnce"_qs, QString::fromLatin1(unusable));
        store.sync();
        EXPECT_EQ(CRunSettings::Load().connectionsAtOnce, 0) << unusable;
    }
}

TEST_F(Run, CharactersBeyondTheBasicPlaneReachSqliteByteForByte)
{
    // The driver manager's own conversion for this 8-bit driver would cut
    // every character to its low byte here and store those bytes.
    const QString text = u"é🎉x😀"_qs;
    ASSERT_TRUE(RunToEnd(document, u"CREATE TEMP TABLE astral (v TEXT) ;\n"
                                   u"INSERT INTO astral VALUES ('"_qs +
                                       text + u"') ;\nSELECT v, hex(v) AS bytes FROM astral"_qs));
    const QString hex = QString::fromLatin1(text.toUtf8().toHex().toUpper());
    EXPECT_TRUE(ResultLines(document).contains(u"3|"_qs + text + u'\t' + hex))
        << ResultLines(document).join(u'\n').toStdString();
}

// What users ran: a separator in a comment or a literal must not send half a statement.
TEST_F(Run, SeparatorsInCommentsAndLiteralsRunTheWholeStatement)
{
    ASSERT_TRUE(RunToEnd(document, u"CREATE TEMP TABLE t (id INTEGER, note TEXT) ;\n"
                                   u"INSERT INTO t VALUES (1, 'a'), (2, 'b'), (3, 'c') ;\n"
                                   u"DELETE FROM t -- remove the test row ; only id 1\n"
                                   u"WHERE id = 1 ;\n"
                                   u"UPDATE t SET note='x' /* only row 2 ; see ticket */ "
                                   u"WHERE id = 2 ;\n"
                                   u"SELECT id, note, 'a ; b' AS s FROM t ORDER BY id"_qs));
    const QStringList lines = ResultLines(document);
    EXPECT_TRUE(lines.filter(u"2|"_qs).isEmpty()) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.filter(u"3|"_qs), (QStringList{u"3|2\tx\ta ; b"_qs, u"3|3\tc\ta ; b"_qs}));
    EXPECT_FALSE(document.QueryThreads()[0].Failed());
}

TEST_F(Run, BatchesOfOnlyCommentsAndBlanksAreNotSent)
{
    // The natural selection of one statement ends in " ;"; SQLite answered the empty batch
    // after it with "out of memory".
    ASSERT_TRUE(RunToEnd(document, u"SELECT 1 AS one ;\n-- done ;\n/* really */ ;\n"_qs));
    EXPECT_EQ(document.Batches().size(), 3) << "the first separator stands in a comment";
    EXPECT_EQ(ResultLines(document), (QStringList{u"0|"_qs + source.Name(), u"4|one"_qs, u"3|1"_qs,
                                                  u"1|End(No data found)"_qs}));
    EXPECT_FALSE(document.QueryThreads()[0].Failed());
}

TEST_F(Run, NulCharacterRefusesTheRunOnEveryEntry)
{
    SqliteDataSource other;
    document.m_connections.append(Entry(other.Name()));
    ASSERT_TRUE(RunToEnd(document, u"CREATE TEMP TABLE t (id INTEGER) ;\nDELETE FROM t"_qs +
                                       QChar(u'\0') + u" WHERE id = 1"_qs));
    const QString refusal =
        u"2|The SQL holds a NUL character at line 2, column 14: nothing was run"_qs;
    // Groups come in the order of their first rows.
    QStringList lines = ResultLines(document);
    lines.sort();
    QStringList expected{u"0|"_qs + source.Name(), refusal, u"0|"_qs + other.Name(), refusal};
    expected.sort();
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(document.QueryThreads()[0].Failed());
    EXPECT_FALSE(document.IsDataSourceConnected(source.Name(), false)) << "never connected";
}

TEST_F(Run, EntriesOnOneDataSourceKeepGroupsAndSessionsOfTheirOwn)
{
    document.m_connections[0].m_login = u"alice"_qs;
    document.m_connections.append(Entry(source.Name(), u"bob"_qs));
    document.m_connections.append(Entry(source.Name(), u"bob"_qs));
    const QString title = u"0|"_qs + source.Name();
    ASSERT_TRUE(RunToEnd(document, Rows(300)));
    // Groups come in the order of their first rows; each entry has its own.
    QStringList titles = ResultLines(document).filter(u"0|"_qs);
    titles.sort();
    EXPECT_EQ(titles, (QStringList{title + u" #1 (alice)"_qs, title + u" #2 (bob)"_qs,
                                   title + u" #3 (bob)"_qs}));
    // Each group holds one whole result, not a mix of three.
    const QStringList lines = ResultLines(document);
    for (const QString& group : titles) {
        const qsizetype start = lines.indexOf(group);
        EXPECT_EQ(lines.mid(start + 1, 302).filter(u"3|"_qs).size(), 300) << group.toStdString();
        EXPECT_EQ(lines.at(start + 301), u"3|300"_qs) << group.toStdString();
    }

    // Kept sessions go by login: with alice's entry alone switched on and then off, bob's entry
    // must not run on the session alice opened.
    document.m_connections.removeLast();
    document.m_connections[1].m_enabled = 0;
    ASSERT_TRUE(RunToEnd(document, u"CREATE TEMP TABLE alices (x INTEGER)"_qs));
    document.m_connections[0].m_enabled = 0;
    document.m_connections[1].m_enabled = 1;
    ASSERT_TRUE(RunToEnd(document, u"SELECT x FROM alices"_qs));
    EXPECT_EQ(ResultLines(document).at(0), title);
    EXPECT_EQ(ResultLines(document).filter(u"no such table: alices"_qs).size(), 1)
        << ResultLines(document).join(u'\n').toStdString();
}

namespace {

// Every third thread start finds the system out of threads.
std::atomic<int> s_starts{0};

void EveryThirdStartFails()
{
    if (++s_starts % 3 == 0) {
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    }
}

// Each connection's rows, under its title, in the order the groups arrived.
QMap<QString, QStringList> Groups(const CTessellaDoc& document, int& titles)
{
    QMap<QString, QStringList> groups;
    QString current;
    titles = 0;
    const CResultStore& results = document.Results();
    for (qsizetype row = 0; row < results.Count(); ++row) {
        const CPackedRows::RowView element = results.At(row);
        if (element.Kind() == ElemConnection) {
            current = element.Text();
            ++titles;
            continue;
        }
        groups[current] << QString::number(element.Kind()) + u'|' + element.Text();
    }
    return groups;
}

} // namespace

TEST(RunOfManyEntries, EveryEntryRunsOrSaysWhyNot)
{
    // Every tenth entry is a database; the others name no data source, which the
    // driver manager answers at once with an error of its own.
    constexpr int kEntries = 1000;
    SqliteDataSource database;
    QMap<QString, QMap<QString, QString>> sources;
    CTessellaDoc document;
    document.SetSettingsOverride(CRunSettings());
    for (int i = 0; i < kEntries; ++i) {
        const QString name = QStringLiteral("Entry%1").arg(i, 4, 10, QLatin1Char('0'));
        if (i % 10 == 0) {
            sources.insert(
                name, {{u"Driver"_qs, u"SQLite3"_qs}, {u"Database"_qs, database.DatabasePath()}});
        }
        document.m_connections.append(Entry(name));
    }
    OdbcTestConfig::Instance().SetDataSources(sources);
    const auto removeSources =
        qScopeGuard([&sources] { OdbcTestConfig::Instance().RemoveDataSources(sources.keys()); });
    RecordingResultsWindow window{document};

    s_starts = 0;
    CWorkerThread::SetStartProbe(&EveryThirdStartFails);
    const auto noProbe = qScopeGuard([] { CWorkerThread::SetStartProbe(nullptr); });
    ASSERT_TRUE(RunToEnd(document, u"SELECT 1 AS one"_qs, int(TimeBound(240000))));

    const QStringList ran{u"4|one"_qs, u"3|1"_qs, u"1|End(No data found)"_qs};
    const QStringList refused{
        u"2|Can't start a thread for this connection: Resource temporarily unavailable"_qs};
    int titles = 0;
    const QMap<QString, QStringList> groups = Groups(document, titles);
    EXPECT_EQ(titles, kEntries) << "one title row per entry";
    int refusedCount = 0;
    int ranCount = 0;
    for (const auto& thread : document.QueryThreads()) {
        const QString& name = thread->Entry().m_dataSource;
        const QStringList rows = groups.value(name);
        if (rows == refused) {
            ++refusedCount;
            EXPECT_TRUE(thread->Failed()) << name.toStdString();
        } else if (sources.contains(name)) {
            ++ranCount;
            EXPECT_EQ(rows, ran) << name.toStdString();
            EXPECT_FALSE(thread->Failed()) << name.toStdString();
        } else {
            EXPECT_TRUE(rows.size() == 1 && rows.first().startsWith(u"2|IM002"_qs))
                << name.toStdString() << ": " << rows.join(u'\n').toStdString();
        }
    }
    // The first start is the preparation's; the query threads' are the 2nd to 1001st.
    EXPECT_EQ(refusedCount, kEntries / 3);
    EXPECT_GT(ranCount, 0);
}

namespace {

// A single step of the engine that takes minutes; a stop cancels it.
const QString kEndlessCount =
    u"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 2000000000) "
    u"SELECT count(*) FROM c"_qs;

// Every thread start is counted, and at each one how many query threads of the watched document
// run, the one being started included: the largest count a run reaches is one seen here.
std::atomic<int> s_threadStarts{0};
std::atomic<const CTessellaDoc*> s_watched{nullptr};
std::atomic<std::size_t> s_mostRunning{0};

void WatchStart()
{
    ++s_threadStarts;
    const CTessellaDoc* document = s_watched.load();
    if (!document || document->IsPreparing()) {
        return; // the preparation's own start: its threads are still being made
    }
    std::size_t running = 0;
    for (const auto& thread : document->QueryThreads()) {
        running += thread->IsRunning() ? 1 : 0;
    }
    std::size_t most = s_mostRunning.load();
    while (running > most && !s_mostRunning.compare_exchange_weak(most, running)) {
    }
}

class RunConnectionsAtOnce : public testing::Test
{
protected:
    void SetUp() override
    {
        CRunSettings settings;
        settings.connectionsAtOnce = kAtOnce;
        document->SetSettingsOverride(settings);
        for (int i = 0; i < kEntries; ++i) {
            document->m_connections.append(Entry(source.Name()));
        }
        s_threadStarts = 0;
        s_mostRunning = 0;
        s_watched = document.get();
        CWorkerThread::SetStartProbe(&WatchStart);
    }
    void TearDown() override
    {
        CWorkerThread::SetStartProbe(nullptr);
        s_watched = nullptr;
    }

    // Starts a run and waits until its first entry queries and the others wait.
    void StartEndlessRun()
    {
        CStringTextSource sql(kEndlessCount);
        document->StartRun(sql);
        QElapsedTimer clock;
        clock.start();
        while (document->IsPreparing() || document->IsWaitingToStart(0)) {
            ASSERT_LT(clock.elapsed(), TimeBound(20000)) << "the first entry never started";
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }

    static constexpr int kAtOnce = 2;
    static constexpr int kEntries = 6;
    SqliteDataSource source;
    std::unique_ptr<CTessellaDoc> document = std::make_unique<CTessellaDoc>();
    // Kept while a document closed in the middle of a run ends its threads: they post to it.
    RecordingResultsWindow window{*document};
};

} // namespace

TEST_F(RunConnectionsAtOnce, NoMoreRunTogetherAndEveryEntryFinishesInItsOwnGroup)
{
    // Long enough per entry that the threads of one turn overlap.
    const QString slowCount =
        u"WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 20000) "
        u"SELECT count(*) AS n FROM c ;\n"_qs;
    ASSERT_TRUE(RunToEnd(*document, slowCount + Rows(50), int(TimeBound(120000))));

    EXPECT_EQ(s_mostRunning.load(), std::size_t(kAtOnce));
    EXPECT_EQ(s_threadStarts.load(), kEntries + 1) << "the preparation, then each entry once";
    QStringList ran{u"4|n"_qs, u"3|20000"_qs, u"1|End(No data found)"_qs, u"4|i"_qs};
    for (int i = 1; i <= 50; ++i) {
        ran << u"3|"_qs + QString::number(i);
    }
    ran << u"1|End(No data found)"_qs;
    int titles = 0;
    const QMap<QString, QStringList> groups = Groups(*document, titles);
    EXPECT_EQ(titles, kEntries);
    const CQueryThreadArray& threads = document->QueryThreads();
    ASSERT_EQ(threads.size(), std::size_t(kEntries));
    for (std::size_t i = 0; i < threads.size(); ++i) {
        const QString title = source.Name() + u" #"_qs + QString::number(i + 1);
        EXPECT_EQ(threads[i].GroupTitle(), title);
        EXPECT_EQ(groups.value(title), ran) << title.toStdString();
        EXPECT_FALSE(threads[i].Failed()) << title.toStdString();
        EXPECT_TRUE(document->HasEnded(i));
    }
}

TEST_F(RunConnectionsAtOnce, StopAndCloseStartNoneOfTheWaitingEntries)
{
    document->m_connections.resize(4);
    CRunSettings one;
    one.connectionsAtOnce = 1;
    document->SetSettingsOverride(one);

    StartEndlessRun();
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_TRUE(document->IsWaitingToStart(i)) << i;
    }
    EXPECT_FALSE(document->IsIdle()) << "entries wait for their turn";
    document->StopRun(0);
    ASSERT_TRUE(WaitUntilIdle(*document, int(TimeBound(20000)))) << "the stop ends the run";
    EXPECT_EQ(s_threadStarts.load(), 2) << "the preparation and the first entry alone";
    const CQueryThreadArray& threads = document->QueryThreads();
    ASSERT_EQ(threads.size(), 4u);
    EXPECT_TRUE(threads[0].WaitDone(std::chrono::milliseconds(0)));
    for (std::size_t i = 0; i < threads.size(); ++i) {
        EXPECT_TRUE(document->HasEnded(i)) << i;
        EXPECT_FALSE(threads[i].Failed()) << "a stop is no failure";
        if (i > 0) {
            EXPECT_FALSE(threads[i].WaitDone(std::chrono::milliseconds(0))) << i << " ran";
        }
    }
    EXPECT_TRUE(ResultLines(*document).filter(u"2|"_qs).isEmpty())
        << "a stop shows no error: " << ResultLines(*document).join(u'\n').toStdString();

    // Closed in the middle of a run: the running entry is stopped and waited for, the waiting
    // ones never start.
    s_threadStarts = 0;
    StartEndlessRun();
    s_watched = nullptr;
    QElapsedTimer closing;
    closing.start();
    document.reset();
    RecordProperty("close_ms", int(closing.elapsed()));
    EXPECT_LT(closing.elapsed(), TimeBound(20000));
    EXPECT_EQ(s_threadStarts.load(), 2) << "the preparation and the first entry alone";
}
