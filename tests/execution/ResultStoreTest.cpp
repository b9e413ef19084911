#include "execution/CPostElemArray.h"
#include "execution/CResultStore.h"

#include "QtPrinters.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <gtest/gtest.h>

#include <random>

namespace {

std::unique_ptr<CPostElemArray> Batch(const QString& connection, const QStringList& rows)
{
    auto batch = std::make_unique<CPostElemArray>(connection, 10);
    for (const QString& row : rows) {
        batch->Add(ElemRow, row);
    }
    return batch;
}

CResultStore::IntakeResult Feed(CResultStore& store, const QString& connection,
                                const QStringList& rows)
{
    return store.Intake(*Batch(connection, rows));
}

QStringList Texts(const CResultStore& store)
{
    QStringList texts;
    for (qsizetype row = 0; row < store.Count(); ++row) {
        texts.append(store.At(row).Text());
    }
    return texts;
}

// The batch intake done literally on one flat array with a map of group ends.
class FlatIntake
{
public:
    CResultStore::IntakeResult Intake(const QString& connection, const QStringList& batch)
    {
        const bool known = m_ends.contains(connection);
        const qsizetype b = known ? m_ends.value(connection) : m_rows.size();
        qsizetype c = b;
        if (!known) {
            m_rows.insert(c++, {ElemConnection, connection});
        }
        for (const QString& text : batch) {
            m_rows.insert(c++, {ElemRow, text});
        }
        for (auto end = m_ends.begin(); end != m_ends.end(); ++end) {
            if (end.key() != connection && end.value() > b) {
                end.value() += c - b;
            }
        }
        m_ends.insert(connection, c);
        return {b, batch.size()};
    }

    struct Row
    {
        int kind;
        QString text;
    };
    QList<Row> m_rows;
    QHash<QString, qsizetype> m_ends;
};

void ExpectSame(const CResultStore& store, const FlatIntake& flat)
{
    ASSERT_EQ(store.Count(), flat.m_rows.size());
    for (qsizetype row = 0; row < store.Count(); ++row) {
        ASSERT_EQ(store.At(row).Kind(), flat.m_rows[row].kind) << "row " << row;
        ASSERT_EQ(store.At(row).Text(), flat.m_rows[row].text) << "row " << row;
    }
    for (auto end = flat.m_ends.begin(); end != flat.m_ends.end(); ++end) {
        EXPECT_EQ(store.BlockEnd(end.key()), end.value()) << end.key().toStdString();
    }
}

} // namespace

TEST(ResultStoreTest, FirstBatchOpensItsGroupUnderATitleRow)
{
    CResultStore store;
    auto batch = Batch("Sales", {"h", "r1", "r2"});

    const CResultStore::IntakeResult result = store.Intake(*batch);

    EXPECT_EQ(result.groupStart, 0);
    EXPECT_EQ(result.inserted, 3);
    ASSERT_EQ(store.Count(), 4);
    EXPECT_EQ(store.At(0).Kind(), ElemConnection);
    EXPECT_EQ(store.At(0).Text(), "Sales");
    EXPECT_EQ(store.At(0).FieldCount(), 1);
    EXPECT_EQ(Texts(store), QStringList({"Sales", "h", "r1", "r2"}));
    EXPECT_EQ(store.BlockEnd("Sales"), 4);
}

TEST(ResultStoreTest, IntakeEmptiesTheBatchButLeavesItUnhandled)
{
    CResultStore store;
    auto batch = Batch("Sales", {"a", "b"});

    store.Intake(*batch);

    EXPECT_EQ(batch->size(), 0);
    EXPECT_EQ(batch->m_handled.load(), 0);
    EXPECT_EQ(Texts(store), QStringList({"Sales", "a", "b"}));
}

TEST(ResultStoreTest, RowsReadBeforeMoreArriveStillReadTheSame)
{
    CResultStore store;
    Feed(store, "A", {"a1"});
    Feed(store, "B", {"b1"});
    const CPackedRows::RowView title = store.At(0);
    const CPackedRows::RowView row = store.At(1);
    const CPackedRows::RowView other = store.At(3);
    // Enough rows for every group to have taken several blocks and row tables.
    QStringList many;
    const QString filler(2000, u'x');
    for (int i = 0; i < 5000; ++i) {
        many << QString::number(i) + filler;
    }
    Feed(store, "A", many);
    Feed(store, "B", many);

    EXPECT_EQ(title.Text(), "A") << "a list may hold on to a row it shows";
    EXPECT_EQ(row.Text(), "a1");
    EXPECT_EQ(other.Text(), "b1");
    EXPECT_EQ(store.At(3 + 5000).Text(), "b1");
    EXPECT_EQ(store.At(2 + 4999).Text(), "4999" + filler);
}

TEST(ResultStoreTest, InterleavedConnectionsStayGroupedInOrderOfFirstArrival)
{
    CResultStore store;
    EXPECT_EQ(Feed(store, "A", {"a1", "a2"}).groupStart, 0);
    EXPECT_EQ(Feed(store, "B", {"b1"}).groupStart, 3);
    EXPECT_EQ(Feed(store, "C", {"c1"}).groupStart, 5);
    const CResultStore::IntakeResult later = Feed(store, "A", {"a3"});
    EXPECT_EQ(later.groupStart, 3) << "lands directly before B's title row";
    EXPECT_EQ(later.inserted, 1);
    EXPECT_EQ(Feed(store, "B", {"b2", "b3"}).groupStart, 6);

    EXPECT_EQ(Texts(store), QStringList({"A", "a1", "a2", "a3", "B", "b1", "b2", "b3", "C", "c1"}));
    EXPECT_EQ(store.At(4).Kind(), ElemConnection);
    EXPECT_EQ(store.At(8).Kind(), ElemConnection);
    EXPECT_EQ(store.BlockEnd("A"), 4);
    EXPECT_EQ(store.BlockEnd("B"), 8);
    EXPECT_EQ(store.BlockEnd("C"), 10);
}

TEST(ResultStoreTest, EmptyBatchOfANewConnectionAddsOnlyItsTitle)
{
    CResultStore store;
    Feed(store, "A", {"a1"});
    const CResultStore::IntakeResult opened = Feed(store, "B", {});
    EXPECT_EQ(opened.groupStart, 2);
    EXPECT_EQ(opened.inserted, 0);
    EXPECT_EQ(Texts(store), QStringList({"A", "a1", "B"}));

    const CResultStore::IntakeResult nothing = Feed(store, "A", {});
    EXPECT_EQ(nothing.groupStart, 2);
    EXPECT_EQ(nothing.inserted, 0);
    EXPECT_EQ(store.Count(), 3);
}

TEST(ResultStoreTest, ConnectionNamesCompareExactly)
{
    CResultStore store;
    Feed(store, "dsn", {"x"});
    Feed(store, "DSN", {"y"});
    Feed(store, "", {"z"});
    EXPECT_EQ(Texts(store), QStringList({"dsn", "x", "DSN", "y", "", "z"}));
    EXPECT_EQ(store.BlockEnd("dsn"), 2);
    EXPECT_EQ(store.BlockEnd(""), 6);
    EXPECT_EQ(store.BlockEnd("Dsn"), -1);
}

TEST(ResultStoreTest, ClearDeletesEverythingAndStartsOver)
{
    CResultStore store;
    Feed(store, "A", {"a1"});
    Feed(store, "B", {"b1"});

    store.Clear();

    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(store.BlockEnd("A"), -1);
    EXPECT_EQ(Feed(store, "B", {"b2"}).groupStart, 0);
    EXPECT_EQ(Texts(store), QStringList({"B", "b2"}));
}

TEST(ResultStoreTest, RandomIntakesMatchTheFlatArrayAlgorithm)
{
    std::mt19937 random(20240611);
    const QStringList connections{"A", "B", "C", "D", "E"};
    for (int round = 0; round < 50; ++round) {
        CResultStore store;
        FlatIntake flat;
        for (int intake = 0; intake < 40; ++intake) {
            const QString connection = connections[random() % connections.size()];
            QStringList rows;
            for (unsigned i = random() % 12; i > 0; --i) {
                rows.append(connection + QString::number(intake) + '.' + QString::number(i));
            }
            const CResultStore::IntakeResult got = Feed(store, connection, rows);
            const CResultStore::IntakeResult want = flat.Intake(connection, rows);
            ASSERT_EQ(got.groupStart, want.groupStart) << "round " << round << " intake " << intake;
            ASSERT_EQ(got.inserted, want.inserted);
            ExpectSame(store, flat);
            if (testing::Test::HasFatalFailure()) {
                return;
            }
        }
    }
}

TEST(ResultStoreTest, ResultSetsFollowTheirHeadersAcrossBatchesAndConnections)
{
    CResultStore store;
    odbc::ValueMarks nullSecond;
    nullSecond.Reset(2);
    nullSecond.MarkNull(1);
    odbc::ValueMarks none;
    none.Reset(2);

    auto a1 = std::make_unique<CPostElemArray>(u"A"_qs, 10);
    a1->AddHeader(u"id\tname"_qs, 0, 0);
    a1->AddRow(u"1\tx"_qs, none);
    a1->AddRow(u"2\t"_qs, nullSecond);
    store.Intake(*a1);
    // Another connection's set in between, then A's rows go on with a warning among them.
    auto b1 = std::make_unique<CPostElemArray>(u"B"_qs, 10);
    b1->AddHeader(u"ID"_qs, 0, 0);
    b1->AddRow(u"7"_qs, none);
    store.Intake(*b1);
    auto a2 = std::make_unique<CPostElemArray>(u"A"_qs, 10);
    a2->AddText(ElemInfo, u"01004 String data, right truncated"_qs);
    a2->AddRow(u"3\t"_qs, none);
    a2->AddText(ElemInfo, u"Rows affected:\t1"_qs);
    a2->AddHeader(u"n"_qs, 2, 1);
    a2->AddRow(u"3"_qs, none);
    store.Intake(*a2);
    EXPECT_TRUE(a2->SetStarts().empty() && a2->Marks().Count() == 0) << "the batch is emptied";

    ASSERT_EQ(store.ResultSetCount(), 3);
    const CResultSet& rows = store.ResultSet(0);
    EXPECT_EQ(rows.Connection(), u"A"_qs);
    EXPECT_EQ(rows.Columns(), (QStringList{u"id"_qs, u"name"_qs}));
    ASSERT_EQ(rows.RowCount(), 3);
    EXPECT_EQ(rows.Row(2).Text(), u"3\t"_qs) << "the warning is no row of the set";
    EXPECT_TRUE(rows.Marks(1).IsNull(1));
    EXPECT_FALSE(rows.Marks(2).IsNull(1)) << "an empty value that is no NULL";
    EXPECT_FALSE(rows.Marks(0).Any());
    EXPECT_EQ(store.ResultSet(1).Connection(), u"B"_qs);
    EXPECT_EQ(store.ResultSet(1).Value(0, 0), u"7"_qs);
    const CResultSet& count = store.ResultSet(2);
    EXPECT_EQ(count.Batch(), 2);
    EXPECT_EQ(count.Result(), 1);
    ASSERT_EQ(count.RowCount(), 1);
    EXPECT_EQ(count.Value(0, 0), u"3"_qs);
    // The store's own numbering reads the same marks: A's title, header, 1, 2.
    EXPECT_TRUE(store.MarksAt(3).IsNull(1));

    store.Clear();
    EXPECT_EQ(store.ResultSetCount(), 0);
}

TEST(ResultStoreTest, MarksOfWideRowsAndRowsBeyondTheFirstBlockReadBack)
{
    CMarkTable table;
    odbc::ValueMarks wide;
    wide.Reset(70);
    wide.MarkCut(69);
    wide.MarkNull(33);
    odbc::ValueMarks narrow;
    narrow.Reset(3);
    narrow.MarkNull(0);
    for (qsizetype row = 0; row < 5000; row += 5) {
        table.Add(row, row % 2 ? narrow : wide);
    }
    EXPECT_FALSE(table.Of(1).Any());
    EXPECT_TRUE(table.Of(4995).IsNull(0));
    EXPECT_FALSE(table.Of(4995).IsNull(1));
    EXPECT_TRUE(table.Of(4990).IsCut(69));
    EXPECT_TRUE(table.Of(4990).IsNull(33));
    EXPECT_FALSE(table.Of(4990).IsCut(33));
    EXPECT_FALSE(table.Of(4990).IsCut(70)) << "past the row's values";
    table.DropFrom(4990);
    EXPECT_FALSE(table.Of(4990).Any());
    EXPECT_TRUE(table.Of(4985).IsNull(0));
}
