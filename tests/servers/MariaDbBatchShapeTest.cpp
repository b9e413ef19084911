// Batches that MariaDB's driver treats in ways of its own: two statements in
// one call, a statement list the server refuses as a whole, no statement at
// all, compound bodies with semicolons inside. Every run ends, shows what the
// server answered, and leaves the kept connection fit for the next run and for
// closing.

#include "../execution/RunHarness.h"
#include "../odbc/RecordingOwner.h"
#include "OdbcTestConfig.h"
#include "ServerDataSources.h"
#include "TimeBounds.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

// A thread left waiting inside the driver can never be ended, so neither can
// the test: past its time it ends the process with a message instead.
class Watchdog
{
public:
    explicit Watchdog(qint64 milliseconds)
        : m_thread([this, milliseconds] {
              std::unique_lock guard(m_lock);
              if (!m_done.wait_for(guard, std::chrono::milliseconds(milliseconds),
                                   [this] { return m_finished; })) {
                  std::fputs("hung: a driver call never returned\n", stderr);
                  std::fflush(stderr);
                  std::_Exit(1);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard guard(m_lock);
            m_finished = true;
        }
        m_done.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

const QString kMulti = QStringLiteral("ShapeMulti");   // several statements per call
const QString kSingle = QStringLiteral("ShapeSingle"); // one statement per call

const QStringList kFive{u"4|five"_qs, u"3|5"_qs, u"1|End(No data found)"_qs};

class MariaDbBatchShape : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!servers.AddMariaDb(kMulti) ||
            !servers.AddMariaDb(kSingle, {{u"OPTION"_qs, u"0"_qs}})) {
            GTEST_SKIP() << servers.Problem().toStdString();
        }
        document.SetSettingsOverride(CRunSettings{});
    }

    void Use(const QString& dsn)
    {
        document.m_connections.append(Entry(dsn, servers.MariaDbUser(), servers.MariaDbPassword()));
    }

    // The lines of one run on the kept connection, without the title and the
    // driver's refusal of the query time-out.
    QStringList Run(const QString& sql)
    {
        EXPECT_TRUE(RunToEnd(document, sql, int(TimeBound(10000)))) << sql.toStdString();
        QStringList lines = ResultLines(document);
        lines.removeAll(u"2|Can't set query timeout"_qs);
        if (!lines.isEmpty() && lines.first().startsWith(u"0|"_qs)) {
            lines.removeFirst();
        }
        return lines;
    }

    // A second run on the same connection, then closing it, as a document's
    // end or "Reset connection" does.
    void ExpectConnectionStillServes()
    {
        EXPECT_EQ(Run(u"SELECT 5 AS five"_qs), kFive);
        document.CloseSharedConnections();
    }

    // Declared first, so that it also bounds the document's end.
    Watchdog watchdog{TimeBound(25000)};
    ServerDataSources servers;
    CTessellaDoc document;
    RecordingResultsWindow window{document};
};

class MariaDbCompoundBody : public MariaDbBatchShape, public testing::WithParamInterface<QString>
{
};

// The server's error line with this native code.
bool IsServerError(const QString& line, int native)
{
    return line.startsWith(u"2|[Native:%1]\t42000 "_qs.arg(native));
}

} // namespace

TEST_F(MariaDbBatchShape, TwoSelectsInOneBatchShowBothResultSets)
{
    Use(kMulti);
    EXPECT_EQ(Run(u"SELECT 2 AS b; SELECT 3 AS c"_qs),
              (QStringList{u"4|b"_qs, u"3|2"_qs, u"1|End(No data found)"_qs, u"4|c"_qs, u"3|3"_qs,
                           u"1|End(No data found)"_qs}));
    ExpectConnectionStillServes();
}

TEST_F(MariaDbBatchShape, StatementListRefusedAsAWholeShowsTheSyntaxError)
{
    Use(kSingle);
    const QStringList lines = Run(u"SELECT 2 AS b; SELECT 3 AS c"_qs);
    ASSERT_EQ(lines.size(), 1) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(IsServerError(lines[0], 1064) && lines[0].contains(u"SELECT 3 AS c"_qs))
        << lines[0].toStdString();
    ExpectConnectionStillServes();
}

TEST_F(MariaDbBatchShape, BlankBatchEnds)
{
    Use(kMulti);
    // The driver refuses it itself, without a native code, unless the batch
    // never reaches it.
    const QStringList lines = Run(u"   "_qs);
    EXPECT_TRUE(lines.isEmpty() || (lines.size() == 1 && lines[0].startsWith(u"2|42000 "_qs)))
        << lines.join(u'\n').toStdString();
    ExpectConnectionStillServes();
}

TEST_P(MariaDbCompoundBody, TriggerProcedureAndCallEachRunAsOneStatement)
{
    const QString dsn = GetParam();
    Use(dsn);
    const QString table = u"shape_"_qs + dsn.toLower();
    const QString created =
        u"DROP TABLE IF EXISTS %1 ;\nCREATE TABLE %1 (a INT, b INT) ;\n"
        "CREATE TRIGGER %1_bi BEFORE INSERT ON %1 FOR EACH ROW "
        "BEGIN SET NEW.b = NEW.a * 2; SET NEW.a = NEW.a + 1; END ;\n"
        "INSERT INTO %1 (a) VALUES (1) ;\nSELECT a, b FROM %1 ;\nDROP TABLE %1"_qs.arg(table);
    const QString zero = u"1|Rows affected:\t0"_qs;
    EXPECT_EQ(Run(created), (QStringList{zero, zero, zero, u"1|Rows affected:\t1"_qs, u"4|a\tb"_qs,
                                         u"3|2\t2"_qs, u"1|End(No data found)"_qs, zero}));

    const QString called =
        u"DROP PROCEDURE IF EXISTS %1_p ;\n"
        "CREATE PROCEDURE %1_p() BEGIN SELECT 1 AS x; SELECT 2 AS y, 3 AS z; END ;\n"
        "CALL %1_p() ;\nDROP PROCEDURE %1_p"_qs.arg(table);
    EXPECT_EQ(Run(called),
              (QStringList{zero, zero, u"4|x"_qs, u"3|1"_qs, u"1|End(No data found)"_qs,
                           u"4|y\tz"_qs, u"3|2\t3"_qs, u"1|End(No data found)"_qs, zero, zero}));
    ExpectConnectionStillServes();
}

INSTANTIATE_TEST_SUITE_P(DataSources, MariaDbCompoundBody, testing::Values(kMulti, kSingle),
                         [](const testing::TestParamInfo<QString>& info) {
                             return info.param.toStdString();
                         });

// Text that the driver takes for no statement at all leaves its connection
// lock with the calling thread; the next thread must still get through.
TEST(MariaDbConnectionThread, EmptyTextFromOneThreadThenAnother)
{
    Watchdog watchdog{TimeBound(30000)};
    ServerDataSources servers;
    if (!servers.AddMariaDb(kMulti)) {
        GTEST_SKIP() << servers.Problem().toStdString();
    }
    RecordingOwner owner;
    auto connection = std::make_unique<CThreadODBC>(&owner);
    const auto runOnAnotherThread = [&](const QString& batch) {
        std::thread([&] {
            connection->RunOnConnectionThread([&] {
                if (!connection->IsConnected()) {
                    connection->ConnectNoPrompt(kMulti, servers.MariaDbUser(),
                                                servers.MariaDbPassword(), {}, 10, false, nullptr,
                                                false);
                }
                RunBatch(*connection, owner, batch);
            });
        }).join();
    };
    runOnAnotherThread(QString());
    ASSERT_TRUE(connection->IsConnected()) << owner.Lines().join(u'\n').toStdString();
    // The driver's own refusal, before any server.
    EXPECT_EQ(owner.TextsOfKind(ElemError).filter(u"42000 "_qs).size(), 1)
        << owner.Lines().join(u'\n').toStdString();
    owner.elements.clear();
    runOnAnotherThread(u"SELECT 5 AS five"_qs);
    EXPECT_EQ(owner.TextsOfKind(ElemRow), QStringList{u"5"_qs});
    connection.reset(); // from this thread, a third one
}
