// One document, three drivers, one run: the merged result list.

#include "../execution/RunHarness.h"
#include "OdbcTestConfig.h"
#include "ServerDataSources.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

class MultiConnectionRun : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!servers.AddPostgres(u"RunPg"_qs) || !servers.AddMariaDb(u"RunMaria"_qs)) {
            GTEST_SKIP() << servers.Problem().toStdString();
        }
        document.SetSettingsOverride(CRunSettings{});
        document.m_connections.append(Entry(sqlite.Name()));
        document.m_connections.append(
            Entry(u"RunPg"_qs, servers.PostgresUser(), servers.PostgresPassword()));
        document.m_connections.append(
            Entry(u"RunMaria"_qs, servers.MariaDbUser(), servers.MariaDbPassword()));
    }

    // Rows of each group, title first, in list order.
    QList<QStringList> Groups() const
    {
        QList<QStringList> groups;
        for (const QString& line : ResultLines(document)) {
            if (line.startsWith(u"0|"_qs)) {
                groups.append(QStringList());
            }
            groups.last() << line;
        }
        return groups;
    }

    SqliteDataSource sqlite;
    ServerDataSources servers;
    CTessellaDoc document;
    RecordingResultsWindow window{document};
};

// Portable SQL that yields `count` rows numbered from 1 on all three servers.
QString Numbers(int count)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                          "WHERE i < %1) SELECT i FROM n")
        .arg(count);
}

} // namespace

TEST_F(MultiConnectionRun, EachConnectionKeepsItsRowsUnderItsTitle)
{
    // Several batches per connection (MariaDB stops recursion at 1000 rows), so
    // that they usually interleave; the
    // grouping must come out the same whatever the order of arrival.
    ASSERT_TRUE(RunToEnd(document, Numbers(900) + u" ;\n"_qs + Numbers(20)));

    // Groups appear in the order of each connection's first batch.
    QStringList arrival;
    for (const auto& [name, size] : window.batchSizes) {
        if (!arrival.contains(name)) {
            arrival << name;
        }
    }
    const QList<QStringList> groups = Groups();
    ASSERT_EQ(groups.size(), 3) << ResultLines(document).mid(0, 5).join(u'\n').toStdString();
    QStringList titles;
    for (QStringList group : groups) {
        titles << group.first().mid(2);
        // MariaDB's driver takes no query time-out, and the run goes on without.
        const qsizetype refusals = group.removeAll(u"2|Can't set query timeout"_qs);
        EXPECT_EQ(refusals, titles.last() == u"RunMaria"_qs ? 1 : 0);
        // Every group is complete and in order, whatever the interleaving.
        QStringList expected{group.first(), u"4|i"_qs};
        for (int i = 1; i <= 900; ++i) {
            expected << u"3|"_qs + QString::number(i);
        }
        expected << u"1|End(No data found)"_qs << u"4|i"_qs;
        for (int i = 1; i <= 20; ++i) {
            expected << u"3|"_qs + QString::number(i);
        }
        expected << u"1|End(No data found)"_qs;
        EXPECT_EQ(group, expected) << group.first().toStdString();
    }
    EXPECT_EQ(titles, arrival);
    EXPECT_EQ(QSet<QString>(titles.begin(), titles.end()),
              (QSet<QString>{sqlite.Name(), u"RunPg"_qs, u"RunMaria"_qs}));
}

TEST_F(MultiConnectionRun, WrongPasswordAndDisabledEntryDoNotDisturbTheOthers)
{
    CConnectionData disabled = Entry(u"RunPg"_qs);
    disabled.m_enabled = 0;
    document.m_connections.append(disabled);
    document.m_connections[2].m_password = u"not the password"_qs;
    ASSERT_TRUE(RunToEnd(document, u"SELECT 42 AS answer"_qs));

    EXPECT_EQ(document.QueryThreads().size(), 3u) << "no thread for the disabled entry";
    const QList<QStringList> groups = Groups();
    ASSERT_EQ(groups.size(), 3);
    for (const QStringList& group : groups) {
        const QString title = group.first().mid(2);
        if (title == u"RunMaria"_qs) {
            ASSERT_GE(group.size(), 2);
            EXPECT_TRUE(group[1].startsWith(u"2|"_qs)) << group.join(u'\n').toStdString();
            EXPECT_TRUE(group.filter(u"3|"_qs).isEmpty());
            EXPECT_FALSE(group.join(u'\n').contains(u"not the password"_qs));
        } else {
            EXPECT_EQ(group.mid(1),
                      (QStringList{u"4|answer"_qs, u"3|42"_qs, u"1|End(No data found)"_qs}))
                << title.toStdString();
        }
    }
    EXPECT_TRUE(document.QueryThreads()[2].Failed());
    EXPECT_FALSE(document.QueryThreads()[0].Failed());
    EXPECT_FALSE(document.QueryThreads()[1].Failed());
}

// A script as people write it, on every server at once: a separator inside a comment or a literal
// cut the UPDATE before its WHERE (every balance zeroed on PostgreSQL), and the empty batch after a
// final " ;" failed on each driver in its own way.
TEST_F(MultiConnectionRun, CommentsLiteralsAndAFinalSeparatorRunAsWrittenEverywhere)
{
    ASSERT_TRUE(RunToEnd(document,
                         u"CREATE TEMPORARY TABLE acct (id INTEGER, bal INTEGER) ;\n"
                         u"INSERT INTO acct VALUES (1, 10), (2, 20) ;\n"
                         u"UPDATE acct SET bal = 0 -- close account 1 ; keep the rest\n"
                         u"WHERE id = 1 ;\n"
                         u"UPDATE acct /* +5 ; for 2 */ SET bal = bal + 5 WHERE id = 2 ;\n"
                         u"SELECT id, bal, 'x ; y' AS s FROM acct ORDER BY id ;\n"_qs));
    const QList<QStringList> groups = Groups();
    ASSERT_EQ(groups.size(), 3);
    for (QStringList group : groups) {
        group.removeAll(u"2|Can't set query timeout"_qs);
        EXPECT_TRUE(group.filter(u"2|"_qs).isEmpty()) << group.join(u'\n').toStdString();
        EXPECT_EQ(group.filter(u"3|"_qs), (QStringList{u"3|1\t0\tx ; y"_qs, u"3|2\t25\tx ; y"_qs}))
            << group.first().toStdString();
    }
    for (const auto& thread : document.QueryThreads()) {
        EXPECT_FALSE(thread->Failed()) << thread->GroupTitle().toStdString();
    }
}

TEST_F(MultiConnectionRun, DollarQuotedFunctionBodyStaysWhole)
{
    document.m_connections.removeAt(2);
    document.m_connections.removeAt(0);
    ASSERT_TRUE(RunToEnd(document, u"CREATE FUNCTION pg_temp.twice(x int) RETURNS int AS $$\n"
                                   u"  SELECT x ; -- the body's own separator\n"
                                   u"$$ LANGUAGE sql ;\n"
                                   u"CREATE FUNCTION pg_temp.thrice(x int) RETURNS int AS $f$\n"
                                   u"BEGIN RETURN 3 * x ; END $f$ LANGUAGE plpgsql ;\n"
                                   u"SELECT pg_temp.twice(2) AS a, pg_temp.thrice(2) AS b"_qs));
    const QStringList lines = ResultLines(document);
    EXPECT_TRUE(lines.filter(u"2|"_qs).isEmpty()) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.contains(u"3|2\t6"_qs)) << lines.join(u'\n').toStdString();
}
