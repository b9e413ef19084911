// What the result store knows of a run's result sets beyond the rows' text, from one script run
// on SQLite, PostgreSQL and MariaDB at once: which batch and result each set is, its columns,
// which values are NULL (an empty string is not) and which were cut at the long-text limit.

#include "../execution/RunHarness.h"
#include "OdbcTestConfig.h"
#include "ServerDataSources.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kLongValue = QString(359, u'x');

class ResultShape : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        OdbcTestConfig::Instance().SetDataSources(
            {{u"ShapeLite"_qs,
              {{u"Driver"_qs, u"SQLite3"_qs}, {u"Database"_qs, folder.filePath(u"s.db"_qs)}}}});
        if (!servers.AddPostgres(u"ShapePg"_qs) || !servers.AddMariaDb(u"ShapeMaria"_qs)) {
            GTEST_SKIP() << servers.Problem().toStdString();
        }
        document.m_connections.append(Entry(u"ShapeLite"_qs));
        document.m_connections.append(
            Entry(u"ShapePg"_qs, servers.PostgresUser(), servers.PostgresPassword()));
        document.m_connections.append(
            Entry(u"ShapeMaria"_qs, servers.MariaDbUser(), servers.MariaDbPassword()));
        // A table of each test's own: ctest runs the tests of this file side by side.
        table = u"t_shape_"_qs +
                QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name())
                    .left(20)
                    .toLower();
        Run(u"DROP TABLE IF EXISTS t_shape ;\n"
            u"CREATE TABLE t_shape (id INTEGER, name VARCHAR(20), note TEXT) ;\n"
            u"INSERT INTO t_shape VALUES (1, '', NULL) ;\n"
            u"INSERT INTO t_shape VALUES (2, NULL, '"_qs +
            kLongValue + u"') ;\n"_qs);
    }

    void TearDown() override
    {
        if (!document.m_connections.isEmpty()) {
            Run(u"DROP TABLE IF EXISTS t_shape"_qs);
        }
    }

    // `sql` with t_shape standing for the test's table.
    void Run(QString sql, int longTextLimit = CRunSettings::kDefaultLongTextLimit)
    {
        sql.replace(u"t_shape"_qs, table);
        CRunSettings settings;
        settings.longTextLimit = longTextLimit;
        document.SetSettingsOverride(settings);
        ASSERT_TRUE(RunToEnd(document, sql));
        QStringList errors = ResultLines(document).filter(u"2|"_qs);
        // MariaDB's driver takes no statement time-out.
        errors.removeAll(u"2|Can't set query timeout"_qs);
        ASSERT_TRUE(errors.isEmpty()) << ResultLines(document).join(u'\n').toStdString();
    }

    const CResultSet* SetOf(const QString& connection, int batch, int result) const
    {
        const CResultStore& store = document.Results();
        for (qsizetype i = 0; i < store.ResultSetCount(); ++i) {
            const CResultSet& set = store.ResultSet(i);
            if (set.Connection() == connection && set.Batch() == batch && set.Result() == result) {
                return &set;
            }
        }
        return nullptr;
    }

    QTemporaryDir folder;
    QString table;
    ServerDataSources servers;
    CTessellaDoc document;
    RecordingResultsWindow window{document};
};

const QStringList kConnections{u"ShapeLite"_qs, u"ShapePg"_qs, u"ShapeMaria"_qs};

} // namespace

TEST_F(ResultShape, EverySetIsKnownByItsBatchAndResultWithNullsAndCutsMarked)
{
    // A row count between the sets, and a blank batch that still counts as one.
    Run(u"SELECT id, name, note FROM t_shape ORDER BY id ;\n"
        u"-- nothing here\n ;\n"
        u"UPDATE t_shape SET id = id ;\n"
        u"SELECT COUNT(*) AS n FROM t_shape"_qs);
    EXPECT_EQ(document.Results().ResultSetCount(), 6);
    for (const QString& connection : kConnections) {
        SCOPED_TRACE(connection.toStdString());
        const CResultSet* rows = SetOf(connection, 0, 0);
        ASSERT_NE(rows, nullptr);
        EXPECT_EQ(rows->Columns(), (QStringList{u"id"_qs, u"name"_qs, u"note"_qs}));
        ASSERT_EQ(rows->RowCount(), 2);
        EXPECT_EQ(rows->Value(0, 0), u"1"_qs);
        EXPECT_FALSE(rows->Marks(0).IsNull(1)) << "the empty string is a value";
        EXPECT_TRUE(rows->Marks(0).IsNull(2));
        EXPECT_TRUE(rows->Marks(1).IsNull(1));
        EXPECT_FALSE(rows->Marks(1).IsNull(2));
        // Each driver gives the long value its own size; it is marked cut wherever it was.
        const QString note = rows->Value(1, 2);
        EXPECT_TRUE(kLongValue.startsWith(note));
        EXPECT_EQ(rows->Marks(1).IsCut(2), note.size() < kLongValue.size()) << note.size();
        EXPECT_FALSE(rows->Marks(1).IsCut(0));

        const CResultSet* count = SetOf(connection, 3, 0);
        ASSERT_NE(count, nullptr);
        EXPECT_EQ(count->Columns(), QStringList{u"n"_qs});
        ASSERT_EQ(count->RowCount(), 1);
        EXPECT_EQ(count->Value(0, 0), u"2"_qs);
        EXPECT_FALSE(count->Marks(0).Any());
    }
    // The text of "All Results" is as it was: NULL and empty alike.
    EXPECT_EQ(ResultLines(document).filter(u"3|1\t\t"_qs).size(), 3);
    EXPECT_EQ(SetOf(u"ShapePg"_qs, 0, 0)->Value(1, 2).size(), CRunSettings::kDefaultLongTextLimit)
        << "long text shows the limit's characters";
}

TEST_F(ResultShape, ARaisedLongTextLimitShowsWholeValuesOnEveryDriver)
{
    Run(u"SELECT note FROM t_shape WHERE id = 2"_qs, 1000);
    for (const QString& connection : kConnections) {
        SCOPED_TRACE(connection.toStdString());
        const CResultSet* set = SetOf(connection, 0, 0);
        ASSERT_NE(set, nullptr);
        ASSERT_EQ(set->RowCount(), 1);
        EXPECT_EQ(set->Value(0, 0), kLongValue);
        EXPECT_FALSE(set->Marks(0).IsCut(0));
    }
    // Below the value's length a driver that reads the column as long text, or gives it a size
    // below the limit, cuts there; where it was cut, it says so.
    Run(u"SELECT note FROM t_shape WHERE id = 2"_qs, 300);
    for (const QString& connection : kConnections) {
        SCOPED_TRACE(connection.toStdString());
        const CResultSet* set = SetOf(connection, 0, 0);
        ASSERT_NE(set, nullptr);
        const QString note = set->Value(0, 0);
        EXPECT_TRUE(kLongValue.startsWith(note));
        EXPECT_EQ(set->Marks(0).IsCut(0), note.size() < kLongValue.size());
        if (connection != u"ShapeMaria"_qs) {
            EXPECT_EQ(note.size(), 300);
        }
    }
}
