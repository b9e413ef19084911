#include "OdbcTestConfig.h"
#include "RunnerProcess.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Outcome = RunnerOutcome;

// SQLite databases that each get a table t(id, name, note) with their own rows, and a script
// that reads them back.
class Replicas : public ::testing::Test
{
protected:
    void Fill(int count, const QString& inserts)
    {
        for (int i = 0; i < count; ++i) {
            m_sources.push_back(std::make_unique<SqliteDataSource>());
        }
        const QString& name = m_sources.back()->Name();
        const QString setup = Write(
            u"setup.sql"_qs, u"CREATE TABLE t (id INTEGER, name TEXT, note TEXT);\n"_qs + inserts);
        for (qsizetype i = m_sources.size() - count; i < qsizetype(m_sources.size()); ++i) {
            const Outcome filled =
                RunnerOutcome::Of({u"--dsn"_qs, m_sources[size_t(i)]->Name(), setup});
            ASSERT_EQ(filled.exitCode, 0) << name.toStdString() << filled.out.toStdString();
        }
    }

    QString Write(const QString& name, const QString& text) const
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        return path;
    }

    // Every source, then `extra`.
    Outcome Compare(const QStringList& extra)
    {
        QStringList args;
        for (const auto& source : m_sources) {
            args << u"--dsn"_qs << source->Name();
        }
        args << extra << u"--compare"_qs
             << Write(u"read.sql"_qs,
                      u"SELECT id, name, note FROM t ;\nSELECT count(*) AS n FROM t"_qs);
        return RunnerOutcome::Of(args);
    }

    QString Name(size_t index) const { return m_sources[index]->Name(); }

    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<SqliteDataSource>> m_sources;
};

const QString kRows = u"INSERT INTO t VALUES (1, 'Ann', NULL);\n"
                      u"INSERT INTO t VALUES (2, 'Bob', 'x');\n"
                      u"INSERT INTO t VALUES (2, 'Bob', 'x');\n"_qs;

} // namespace

TEST_F(Replicas, ThatAgreeExitWithZeroAndSaySo)
{
    Fill(2, kRows);
    // The same rows in another order.
    Fill(1, u"INSERT INTO t VALUES (2, 'Bob', 'x');\n"
            u"INSERT INTO t VALUES (1, 'Ann', NULL);\n"
            u"INSERT INTO t VALUES (2, 'Bob', 'x');\n"_qs);
    const Outcome outcome = Compare({});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err.toStdString();
    const QString a = Name(0);
    EXPECT_EQ(outcome.out, QStringLiteral("Batch 1, result 1: id, name, note\n"
                                          "  %1: reference, 3 rows\n"
                                          "  %2: same as %1\n"
                                          "  %3: same as %1\n"
                                          "\n"
                                          "Batch 2, result 1: n\n"
                                          "  %1: reference, 1 row\n"
                                          "  %2: same as %1\n"
                                          "  %3: same as %1\n")
                               .arg(a, Name(1), Name(2)));
}

TEST_F(Replicas, ThatDifferExitWithThreeAndSayHow)
{
    Fill(1, kRows);
    // NULL against empty text, one duplicate less, one row more.
    Fill(1, u"INSERT INTO t VALUES (1, 'Ann', '');\n"
            u"INSERT INTO t VALUES (2, 'Bob', 'x');\n"
            u"INSERT INTO t VALUES (3, 'Cid', 'y');\n"_qs);
    Outcome outcome = Compare({});
    EXPECT_EQ(outcome.exitCode, 3) << outcome.err.toStdString();
    EXPECT_TRUE(outcome.out.contains(
        QStringLiteral("  %1: 2 rows only here, 2 missing\n\nBatch 2").arg(Name(1))))
        << outcome.out.toStdString();
    EXPECT_TRUE(outcome.out.endsWith(QStringLiteral("  %1: same as %2\n").arg(Name(1), Name(0))));

    outcome = Compare({u"--key"_qs, u"ID"_qs});
    EXPECT_EQ(outcome.exitCode, 3);
    EXPECT_TRUE(outcome.out.contains(
        QStringLiteral("  %1: 1 row only here, 1 row differs, 1 missing\n").arg(Name(1))))
        << outcome.out.toStdString();

    outcome = Compare({u"--key"_qs, u"id,city"_qs});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, u"tessella-run: --key city: no result set has such a column\n"_qs);
}

TEST_F(Replicas, AFailedConnectionIsAFailureNotADifference)
{
    Fill(2, kRows);
    const Outcome outcome = Compare({u"--dsn"_qs, u"NoSuchSource"_qs});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.out.contains(u"  NoSuchSource: failed before this result set\n"_qs))
        << outcome.out.toStdString();
    EXPECT_TRUE(outcome.err.contains(u"NoSuchSource: "_qs) && outcome.err.contains(u"IM002"_qs))
        << outcome.err.toStdString();
}
