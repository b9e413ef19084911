// The query thread's connection object on a real SQLite connection, with the
// driver calls that a driver cannot be made to misbehave in on demand
// (still executing, cancel, odd codes) replaced by a subclass.

#include "OdbcTestConfig.h"
#include "RecordingOwner.h"
#include "odbc/CThreadODBC.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

class FaultyConnection : public CThreadODBC
{
public:
    using CThreadODBC::CThreadODBC;

    SQLRETURN SqlExecDirect(const QString& text) override
    {
        ++executions;
        if (cancels >= cancelsToFinish && cancelsToFinish >= 0) {
            return SQL_ERROR; // as a driver answers a cancelled statement
        }
        if (stillExecuting > 0) {
            --stillExecuting;
            return SQL_STILL_EXECUTING;
        }
        if (alwaysStillExecuting) {
            return SQL_STILL_EXECUTING;
        }
        return CThreadODBC::SqlExecDirect(text);
    }
    SQLRETURN SqlCancel() override
    {
        ++cancels;
        return realCancel ? CThreadODBC::SqlCancel() : SQL_SUCCESS;
    }
    SQLRETURN SqlMoreResults() override
    {
        if (moreResultsStillExecuting) {
            return SQL_STILL_EXECUTING;
        }
        return CThreadODBC::SqlMoreResults();
    }
    SQLRETURN SqlSetStmtOption(SQLUSMALLINT option, SQLULEN value) override
    {
        if (option == SQL_QUERY_TIMEOUT && refuseTimeout) {
            return SQL_SUCCESS_WITH_INFO;
        }
        return CThreadODBC::SqlSetStmtOption(option, value);
    }
    SQLRETURN SqlColAttribute(SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                              SQLSMALLINT textMax, SQLSMALLINT* textLength, SQLLEN* number) override
    {
        if (field == SQL_COLUMN_DISPLAY_SIZE && displaySize) {
            if (*displaySize < 0) {
                return SQL_ERROR;
            }
            *number = *displaySize;
            return SQL_SUCCESS;
        }
        return CThreadODBC::SqlColAttribute(column, field, text, textMax, textLength, number);
    }

    int executions = 0;
    int cancels = 0;
    int cancelsToFinish = -1; // answer SQL_ERROR once this many cancels were made
    int stillExecuting = 0;
    bool alwaysStillExecuting = false;
    bool moreResultsStillExecuting = false;
    bool refuseTimeout = false;
    bool realCancel = false;
    std::optional<SQLLEN> displaySize; // replaces the driver's display size; < 0 fails
};

class ThreadOdbc : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(connection.ConnectNoPrompt(source.Name(), QString(), QString()));
        owner.elements.clear();
    }

    SqliteDataSource source;
    RecordingOwner owner;
    FaultyConnection connection{&owner};
};

} // namespace

TEST_F(ThreadOdbc, StillExecutingIsPolledUntilTheResultComes)
{
    connection.stillExecuting = 3;
    RunBatch(connection, owner, u"SELECT 42 AS answer"_qs);
    EXPECT_EQ(owner.polls, 3) << "one pause per busy answer";
    EXPECT_EQ(connection.executions, 4);
    EXPECT_EQ(connection.cancels, 0);
    EXPECT_EQ(owner.Lines(), (QStringList{u"4|answer"_qs, u"3|42"_qs, u"1|End(No data found)"_qs}));
}

TEST_F(ThreadOdbc, StopWhileStillExecutingCancelsUntilTheDriverGivesUp)
{
    connection.alwaysStillExecuting = true;
    connection.cancelsToFinish = 3;
    owner.stopAfterPolls = 2;
    EXPECT_FALSE(connection.ExecuteCancellable(u"SELECT 1"_qs));
    EXPECT_EQ(connection.cancels, 3);
    EXPECT_EQ(connection.GetStatus(), StatusOk);
    EXPECT_TRUE(owner.elements.empty()) << "a stopped statement reports nothing";
}

TEST_F(ThreadOdbc, WithoutOwnerStillExecutingIsAnError)
{
    connection.SetOwnerThread(nullptr);
    connection.stillExecuting = 1;
    EXPECT_FALSE(connection.ExecuteCancellable(u"SELECT 1"_qs));
    EXPECT_EQ(connection.GetStatus(), StatusStillExecuting);
    EXPECT_EQ(connection.cancels, 0);
}

TEST_F(ThreadOdbc, StopWhileMoreResultsIsBusyEndsTheBatch)
{
    ASSERT_TRUE(connection.ExecuteCancellable(u"SELECT 1"_qs));
    connection.moreResultsStillExecuting = true;
    owner.stopAfterPolls = 4;
    EXPECT_FALSE(connection.MoreResults());
    EXPECT_EQ(owner.polls, 4);
    EXPECT_TRUE(owner.TextsOfKind(ElemError).isEmpty());
}

TEST_F(ThreadOdbc, ReturnCodesBecomeStatusesAndLines)
{
    EXPECT_FALSE(connection.CheckReturn(SQL_INVALID_HANDLE));
    EXPECT_EQ(connection.GetStatus(), StatusInvalidHandle);
    EXPECT_FALSE(connection.CheckReturn(SQL_NEED_DATA));
    EXPECT_EQ(connection.GetStatus(), StatusError);
    connection.SetStatus(StatusInfo);
    EXPECT_FALSE(connection.CheckReturn(7777));
    EXPECT_EQ(connection.GetStatus(), StatusInfo);

    owner.elements.clear();
    EXPECT_FALSE(connection.CheckReturn(SQL_NO_DATA));
    EXPECT_EQ(connection.GetStatus(), StatusNoData);
    EXPECT_EQ(owner.Lines(), QStringList{u"1|End(No data found)"_qs});

    owner.elements.clear();
    owner.ignoreInfo = true;
    EXPECT_FALSE(connection.CheckReturn(SQL_NO_DATA));
    EXPECT_TRUE(owner.elements.empty());
}

TEST_F(ThreadOdbc, ErrorsBecomeLinesWithTheNativeCodeFirst)
{
    RunBatch(connection, owner, u"SELECT * FROM no_such_table"_qs);
    const QStringList errors = owner.TextsOfKind(ElemError);
    ASSERT_EQ(errors.size(), 1);
    const QStringList fields = errors.first().split(u'\t');
    ASSERT_EQ(fields.size(), 2) << errors.first().toStdString();
    EXPECT_TRUE(fields[0].startsWith(u"[Native:"_qs) && fields[0].endsWith(u']'));
    EXPECT_EQ(fields[1].left(6), u"HY000 "_qs);
    EXPECT_TRUE(fields[1].contains(u"no_such_table"_qs));
    EXPECT_EQ(connection.GetStatus(), StatusError);
}

TEST_F(ThreadOdbc, RefusedQueryTimeoutIsReportedAndTheRunGoesOn)
{
    connection.refuseTimeout = true;
    EXPECT_TRUE(connection.PrepareStatement());
    EXPECT_EQ(owner.Lines(), QStringList{u"2|Can't set query timeout"_qs});
}

TEST_F(ThreadOdbc, CloseNeverCancels)
{
    ASSERT_TRUE(connection.ExecuteCancellable(u"SELECT 1"_qs));
    EXPECT_TRUE(connection.Close());
    EXPECT_EQ(connection.cancels, 0);
}

TEST_F(ThreadOdbc, HugeDisplaySizesGetABoundedBuffer)
{
    connection.displaySize = SQLLEN{2147483647};
    RunBatch(connection, owner, u"SELECT 'abc' AS v"_qs);
    ASSERT_EQ(connection.Columns().size(), 1u);
    const ColumnInfo& column = *connection.Columns().front();
    EXPECT_EQ(column.data.size(), std::size_t(CODBCObject::kMaxElementChars + 1))
        << "one row of the capped width, no rowset";
    EXPECT_EQ(column.indicators.size(), 1u);
    EXPECT_EQ(owner.TextsOfKind(ElemRow), QStringList{u"abc"_qs});
}

TEST_F(ThreadOdbc, ValuesBeyondTheCapArriveCutWithAWarning)
{
    connection.displaySize = SQLLEN{4294967295LL};
    const QString longValue(20000, u'x');
    RunBatch(connection, owner, u"SELECT '"_qs + longValue + u"' AS v"_qs);
    EXPECT_EQ(owner.TextsOfKind(ElemRow),
              QStringList{QString(CODBCObject::kMaxElementChars, u'x')});
    EXPECT_EQ(owner.TextsOfKind(ElemInfo).filter(u"01004"_qs).size(), 1)
        << owner.Lines().join(u'\n').toStdString();
}

TEST_F(ThreadOdbc, ColumnWithoutDisplaySizeHoldsTwoHundredFiftyCharacters)
{
    connection.displaySize = SQLLEN{-1};
    RunBatch(connection, owner, u"SELECT '"_qs + QString(300, u'y') + u"' AS v"_qs);
    ASSERT_EQ(connection.Columns().size(), 1u);
    EXPECT_EQ(connection.Columns().front()->displaySize, -1);
    EXPECT_EQ(owner.TextsOfKind(ElemRow), QStringList{QString(250, u'y')});
}

TEST_F(ThreadOdbc, LongTextIsCutAt233Characters)
{
    RunBatch(connection, owner, u"CREATE TABLE t (body TEXT)"_qs);
    RunBatch(connection, owner, u"INSERT INTO t VALUES ('"_qs + QString(500, u'z') + u"')"_qs);
    owner.elements.clear();
    RunBatch(connection, owner, u"SELECT body FROM t"_qs);
    ASSERT_EQ(connection.Columns().size(), 1u);
    EXPECT_EQ(connection.Columns().front()->valueType, TypeText);
    EXPECT_EQ(owner.TextsOfKind(ElemRow), QStringList{QString(233, u'z')});
}

TEST_F(ThreadOdbc, CancelFromAnotherThreadCancelsOnlyARunningCall)
{
    connection.realCancel = true;
    EXPECT_FALSE(connection.CancelFromOtherThread()) << "nothing runs";
    EXPECT_EQ(connection.cancels, 0);
    // A cancel that came before the call keeps the call from starting.
    EXPECT_FALSE(connection.ExecuteCancellable(u"SELECT 1"_qs));
    EXPECT_EQ(connection.executions, 1);
    EXPECT_TRUE(owner.TextsOfKind(ElemRow).isEmpty());

    connection.ResetCancel();
    owner.elements.clear();
    RunBatch(connection, owner, u"SELECT 5 AS five"_qs);
    EXPECT_EQ(owner.TextsOfKind(ElemRow), QStringList{u"5"_qs});
    EXPECT_FALSE(connection.CancelFromOtherThread()) << "the call has returned";
    EXPECT_EQ(connection.cancels, 0);
}
