// The fetch options a connection asks for where the data source is silent (SQLite's row stepping,
// psqlODBC's cursor read in blocks): the first rows of an endless result come at once, a stop
// ends it, the kept connection goes on after a result that was not read to its end, and every
// row is what it would be without them.

#include "../execution/RunHarness.h"
#include "OdbcTestConfig.h"
#include "ServerDataSources.h"
#include "TimeBounds.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <optional>

namespace {

struct FirstRowsDriver
{
    const char* label;
    const char* offKey; // what a data source says to do without the option
    const char* offValue;
    // Tens of millions of rows, made as they are read: read in full before the first row is
    // shown, they would take minutes and gigabytes.
    const char* endless;
    const char* fill; // 25,000 rows more for fr_values, past two of psqlODBC's blocks
    bool severalStatements;
};

void PrintTo(const FirstRowsDriver& driver, std::ostream* out)
{
    *out << driver.label;
}

const FirstRowsDriver kDrivers[] = {
    {"SQLite", "StepAPI", "0",
     "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 50000000) "
     "SELECT x, 'row ' || x AS label FROM c",
     "INSERT INTO fr_values WITH RECURSIVE s(i) AS (SELECT 10 UNION ALL SELECT i + 1 FROM s "
     "WHERE i < 25009) SELECT i, 'name ' || i, i * 0.5, '2001-02-03', "
     "CASE WHEN i % 7 = 0 THEN NULL ELSE 'ü' || i END FROM s",
     false},
    {"PostgreSQL", "UseDeclareFetch", "0",
     // In the select list the series streams; in FROM the server would make all of it first.
     "SELECT x, 'row ' || x AS label FROM (SELECT generate_series(1, 20000000) AS x) s",
     "INSERT INTO fr_values SELECT i, 'name ' || i, i * 0.5, '2001-02-03', "
     "CASE WHEN i % 7 = 0 THEN NULL ELSE 'ü' || i END FROM generate_series(10, 25009) i",
     true},
};

// One document on one data source, with the results window a pane would be.
struct Side
{
    explicit Side(const CConnectionData& entry, bool separator)
    {
        CRunSettings settings;
        settings.useSeparator = separator;
        document.SetSettingsOverride(settings);
        document.m_connections.append(entry);
    }

    CTessellaDoc document;
    RecordingResultsWindow window{document};
};

qsizetype RowLines(const CTessellaDoc& document)
{
    return ResultLines(document).filter(u"3|"_qs).size();
}

class FirstRows : public testing::TestWithParam<FirstRowsDriver>
{
protected:
    void SetUp() override
    {
        const FirstRowsDriver& driver = GetParam();
        const QString label = QString::fromLatin1(driver.label);
        // A name of its own for every test: the driver manager may answer what it read of the
        // configuration within the same second, the previous test's database file.
        static int count = 0;
        const QString name = u"FirstRows%1%2"_qs.arg(label).arg(++count);
        const ServerDataSources::Attributes off{
            {QString::fromLatin1(driver.offKey), QString::fromLatin1(driver.offValue)}};
        CConnectionData entry;
        CConnectionData offEntry;
        if (label == u"SQLite"_qs) {
            ASSERT_TRUE(folder.isValid());
            const ServerDataSources::Attributes plain{{u"Driver"_qs, u"SQLite3"_qs},
                                                      {u"Database"_qs, folder.filePath(u"f.db"_qs)},
                                                      {u"Timeout"_qs, u"2000"_qs}};
            ServerDataSources::Attributes saysOff = plain;
            saysOff.insert(off);
            OdbcTestConfig::Instance().SetDataSources({{name, plain}, {name + u"Off"_qs, saysOff}});
            entry = Entry(name);
            offEntry = Entry(name + u"Off"_qs);
        } else {
            if (!servers.AddPostgres(name) || !servers.AddPostgres(name + u"Off"_qs, off)) {
                GTEST_SKIP() << servers.Problem().toStdString();
            }
            entry = Entry(name, servers.PostgresUser(), servers.PostgresPassword());
            offEntry = Entry(name + u"Off"_qs, servers.PostgresUser(), servers.PostgresPassword());
        }
        const bool separator = !driver.severalStatements;
        program = std::make_unique<Side>(entry, separator);
        without = std::make_unique<Side>(offEntry, separator);
    }

    void TearDown() override
    {
        if (program) {
            RunToEnd(program->document, u"DROP TABLE IF EXISTS fr_values"_qs);
        }
    }

    // The lines of the run's one group, without its title.
    QStringList Run(Side& side, const QString& sql)
    {
        EXPECT_TRUE(RunToEnd(side.document, sql, 120000)) << sql.toStdString();
        return ResultLines(side.document).mid(1);
    }

    // Until `rows` rows are in the list or the time is up; the milliseconds it took, -1 then.
    qint64 WaitForRows(CTessellaDoc& document, qsizetype rows, qint64 limitMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (RowLines(document) < rows) {
            if (document.IsIdle() || clock.elapsed() > limitMs) {
                return -1;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return clock.elapsed();
    }

    QTemporaryDir folder;
    ServerDataSources servers;
    std::unique_ptr<Side> program;
    std::unique_ptr<Side> without;
};

} // namespace

TEST_P(FirstRows, EveryRowIsTheSameWithAndWithoutTheOption)
{
    const QStringList setUp =
        Run(*program,
            u"DROP TABLE IF EXISTS fr_values ;\n"
            u"CREATE TABLE fr_values (id INTEGER, name VARCHAR(40), amount REAL, day DATE, note "
            u"VARCHAR(40)) ;\n"
            u"INSERT INTO fr_values VALUES (1, 'plain', 1.5, '2026-01-02', 'x') ;\n"
            u"INSERT INTO fr_values VALUES (2, '', NULL, NULL, NULL) ;\n"
            u"INSERT INTO fr_values VALUES (3, 'Grüße 日本語 €', -0.25, '1999-12-31', '') ;\n"_qs +
                QString::fromUtf8(GetParam().fill));
    ASSERT_TRUE(setUp.filter(u"2|"_qs).isEmpty()) << setUp.join(u'\n').toStdString();

    // Several result sets, a row count between them; in one batch where the driver takes it.
    const QString batch =
        u"SELECT id, name, amount, day, note FROM fr_values ORDER BY id ;\n"
        u"UPDATE fr_values SET note = note WHERE id < 3 ;\n"
        u"SELECT COUNT(*) AS n, COUNT(note) AS notes, MIN(name) AS least FROM fr_values ;\n"
        u"SELECT name FROM fr_values WHERE id = 3"_qs;
    const QStringList shown = Run(*program, batch);
    const QStringList reference = Run(*without, batch);
    ASSERT_EQ(shown.size(), reference.size());
    EXPECT_EQ(shown, reference);

    EXPECT_EQ(shown.filter(u"3|"_qs).size(), 25003 + 2);
    EXPECT_TRUE(shown.contains(u"3|2\t\t\t\t"_qs)) << "NULLs and the empty string show nothing";
    EXPECT_EQ(shown.filter(u"\tGrüße 日本語 €\t"_qs).size(), 1);
    EXPECT_TRUE(shown.contains(u"3|Grüße 日本語 €"_qs)) << "the last result set too";
    EXPECT_TRUE(shown.contains(u"1|Rows affected:\t2"_qs));
    EXPECT_EQ(shown.filter(u"4|"_qs).size(), 3) << "three headers";
    EXPECT_TRUE(shown.filter(u"2|"_qs).isEmpty())
        << shown.filter(u"2|"_qs).join(u'\n').toStdString();
}

TEST_P(FirstRows, AnEndlessResultShowsItsFirstRowsAtOnceAndStops)
{
    CStringTextSource endless(QString::fromLatin1(GetParam().endless));
    program->document.StartRun(endless);
    const qint64 firstRowsMs = WaitForRows(program->document, 10, TimeBound(3000));
    std::cout << "[ figures ] " << GetParam().label << " first 10 rows of an endless result in "
              << firstRowsMs << " ms" << std::endl;
    ASSERT_GE(firstRowsMs, 0) << ResultLines(program->document).join(u'\n').toStdString();
    EXPECT_EQ(ResultLines(program->document).value(2), u"3|1\trow 1"_qs);

    QElapsedTimer stopping;
    stopping.start();
    program->document.StopRun(0);
    ASSERT_TRUE(WaitUntilIdle(program->document, int(TimeBound(10000))));
    std::cout << "[ figures ] stopped in " << stopping.elapsed() << " ms" << std::endl;
    EXPECT_TRUE(ResultLines(program->document).filter(u"2|"_qs).isEmpty())
        << "a stop shows no error";

    // The kept connection runs the next statement at once.
    const QStringList next = Run(*program, u"SELECT 42 AS answer"_qs);
    EXPECT_EQ(next, (QStringList{u"4|answer"_qs, u"3|42"_qs, u"1|End(No data found)"_qs}));
}

TEST_P(FirstRows, AResultCutShortByTheMemoryLimitLeavesTheKeptConnectionUsable)
{
    CRunSettings limited;
    limited.useSeparator = !GetParam().severalStatements;
    limited.resultMemoryLimitMB = 1;
    program->document.SetSettingsOverride(limited);
    const QStringList cut = Run(*program, QString::fromLatin1(GetParam().endless));
    ASSERT_FALSE(cut.isEmpty());
    EXPECT_TRUE(cut.last().startsWith(u"2|Result memory limit of 1 MB reached"_qs))
        << cut.last().toStdString();
    EXPECT_GT(cut.filter(u"3|"_qs).size(), 1000);

    // Not read to its end, and neither stopped: the next statements still run on it.
    limited.resultMemoryLimitMB = 0;
    program->document.SetSettingsOverride(limited);
    EXPECT_EQ(Run(*program, u"SELECT 43 AS answer"_qs),
              (QStringList{u"4|answer"_qs, u"3|43"_qs, u"1|End(No data found)"_qs}));
    const QStringList again =
        Run(*program, QString::fromLatin1(GetParam().endless) + u" LIMIT 3"_qs);
    EXPECT_EQ(again.filter(u"3|"_qs),
              (QStringList{u"3|1\trow 1"_qs, u"3|2\trow 2"_qs, u"3|3\trow 3"_qs}));
}

INSTANTIATE_TEST_SUITE_P(Drivers, FirstRows, testing::ValuesIn(kDrivers));
