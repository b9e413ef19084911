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
