#include "compare/CResultComparison.h"
#include "compare/CResultSetGroups.h"
#include "execution/CPostElemArray.h"
#include "execution/CResultStore.h"

#include "QtPrinters.h"

#include <QHash>

#include <gtest/gtest.h>

#include <random>

namespace {

// Rows written as cells: "<NULL>" is NULL, a trailing "~" marks a value cut short there.
using Rows = QList<QStringList>;

class Sets
{
public:
    const CResultSet& Add(const QString& connection, const QStringList& columns, const Rows& rows,
                          int batch = 0, int result = 0)
    {
        CPostElemArray posted(connection, 16);
        posted.AddHeader(columns.join(u'\t'), batch, result);
        for (const QStringList& row : rows) {
            odbc::ValueMarks marks;
            marks.Reset(int(row.size()));
            QStringList texts;
            for (int i = 0; i < row.size(); ++i) {
                QString text = row[i];
                if (text == u"<NULL>") {
                    marks.MarkNull(i);
                    text.clear();
                } else if (text.endsWith(u'~')) {
                    marks.MarkCut(i);
                    text.chop(1);
                }
                texts << text;
            }
            posted.AddRow(texts.join(u'\t'), marks);
        }
        m_store.Intake(posted);
        return m_store.ResultSet(m_store.ResultSetCount() - 1);
    }

    CResultStore m_store;
};

struct Counts
{
    qsizetype same, onlyHere, missing, differ;
    bool operator==(const Counts&) const = default;
};

Counts CountsOf(const CSetComparison& pair)
{
    return {pair.SameRows(), pair.OnlyHereRows(), pair.MissingRows(), pair.DifferRows()};
}

// The reference first, the other second, compared at once.
CResultComparison Compare(const CResultSet& reference, const CResultSet& other,
                          const QStringList& keys = {})
{
    CResultComparison comparison({&reference, &other}, 0, keys);
    comparison.Run();
    return comparison;
}

void PrintTo(const Counts& c, std::ostream* os)
{
    *os << "{same " << c.same << ", only here " << c.onlyHere << ", missing " << c.missing
        << ", differ " << c.differ << "}";
}

} // namespace

TEST(ResultComparisonTest, WholeRowsAreAMultisetWhateverTheirOrderAndTheColumnsCase)
{
    Sets sets;
    const auto& ref = sets.Add(u"Archive"_qs, {u"id"_qs, u"name"_qs},
                               {{u"1"_qs, u"a"_qs}, {u"1"_qs, u"a"_qs}, {u"2"_qs, u"b"_qs}});
    const auto& same = sets.Add(u"Copy"_qs, {u"NAME"_qs, u"Id"_qs},
                                {{u"b"_qs, u"2"_qs}, {u"a"_qs, u"1"_qs}, {u"a"_qs, u"1"_qs}});
    const auto& other = sets.Add(u"Other"_qs, {u"id"_qs, u"name"_qs},
                                 {{u"1"_qs, u"a"_qs}, {u"2"_qs, u"b"_qs}, {u"2"_qs, u"b"_qs}});
    CResultComparison comparison({&ref, &same, &other});
    comparison.Run();
    EXPECT_EQ(comparison.Summary(0), u"reference"_qs);
    EXPECT_EQ(comparison.Summary(1), u"same as Archive"_qs);
    EXPECT_EQ(comparison.Summary(2), u"1 row only here, 1 missing"_qs);
    EXPECT_FALSE(comparison.AllAgree());
    const CSetComparison& pair = comparison.Against(2);
    EXPECT_EQ(CountsOf(pair), (Counts{2, 1, 1, 0}));
    // The second "1 a" of the reference and the second "2 b" here found no partner.
    EXPECT_EQ(pair.Status(CompareSide::Reference, 1), RowStatus::Missing);
    EXPECT_EQ(pair.Status(CompareSide::Other, 2), RowStatus::OnlyHere);
    EXPECT_EQ(pair.Status(CompareSide::Other, 0), RowStatus::Same);
}

TEST(ResultComparisonTest, KeyedRowsDifferInTheirOtherColumns)
{
    Sets sets;
    const QStringList columns = {u"id"_qs, u"name"_qs, u"city"_qs};
    const auto& ref = sets.Add(u"Archive"_qs, columns,
                               {{u"1"_qs, u"Ann"_qs, u"Oslo"_qs},
                                {u"2"_qs, u"Bob"_qs, u"Rome"_qs},
                                {u"3"_qs, u"Cid"_qs, u"Lima"_qs},
                                {u"3"_qs, u"Dee"_qs, u"Kiev"_qs}});
    const auto& other = sets.Add(u"Live"_qs, {u"city"_qs, u"ID"_qs, u"name"_qs},
                                 {{u"Oslo"_qs, u"1"_qs, u"Ann"_qs},
                                  {u"Bonn"_qs, u"2"_qs, u"Bo"_qs},
                                  {u"Kiev"_qs, u"3"_qs, u"Dee"_qs},
                                  {u"Gent"_qs, u"4"_qs, u"Eve"_qs}});
    const CResultComparison comparison = Compare(ref, other, {u"Id"_qs});
    const CSetComparison& pair = comparison.Against(1);
    // Of the two rows of key 3, the one with the same values is the partner.
    EXPECT_EQ(CountsOf(pair), (Counts{2, 1, 1, 1}));
    EXPECT_EQ(comparison.Summary(1), u"1 row only here, 1 row differs, 1 missing"_qs);
    EXPECT_EQ(pair.Status(CompareSide::Reference, 3), RowStatus::Same);
    EXPECT_EQ(pair.Status(CompareSide::Reference, 2), RowStatus::Missing);
    EXPECT_EQ(pair.Status(CompareSide::Other, 1), RowStatus::Differ);
    EXPECT_EQ(pair.Partner(CompareSide::Other, 1), 1);
    EXPECT_EQ(pair.Partner(CompareSide::Reference, 1), 1);
    EXPECT_EQ(pair.Partner(CompareSide::Other, 0), -1);
    // Each side's own column numbers: name and city.
    EXPECT_EQ(pair.DifferingColumns(CompareSide::Reference, 1), (QList<int>{1, 2}));
    EXPECT_EQ(pair.DifferingColumns(CompareSide::Other, 1), (QList<int>{2, 0}));
    EXPECT_TRUE(pair.DifferingColumns(CompareSide::Other, 0).isEmpty());
}

TEST(ResultComparisonTest, AColumnOneSideLacksIsNamedAndTheRestCompared)
{
    Sets sets;
    const auto& ref = sets.Add(u"A"_qs, {u"id"_qs, u"note"_qs}, {{u"1"_qs, u"x"_qs}});
    const auto& lacking = sets.Add(u"B"_qs, {u"id"_qs}, {{u"1"_qs}});
    const auto& extra = sets.Add(u"C"_qs, {u"id"_qs, u"note"_qs, u"a"_qs, u"b"_qs},
                                 {{u"1"_qs, u"x"_qs, u"y"_qs, u"z"_qs}});
    CResultComparison comparison({&ref, &lacking, &extra});
    comparison.Run();
    EXPECT_EQ(CountsOf(comparison.Against(1)), (Counts{1, 0, 0, 0}));
    EXPECT_EQ(comparison.Summary(1), u"lacks column note"_qs);
    EXPECT_EQ(comparison.Summary(2), u"columns a, b only here"_qs);
    EXPECT_FALSE(comparison.AllAgree());
    // A key the set lacks leaves nothing to compare.
    const CResultComparison keyed = Compare(ref, lacking, {u"note"_qs});
    EXPECT_EQ(keyed.Summary(1), u"cannot compare: no key column note here"_qs);
    EXPECT_FALSE(keyed.AllAgree());
    // One neither has belongs to another result set: whole rows are compared.
    const CResultComparison unkeyed = Compare(ref, extra, {u"zip"_qs});
    EXPECT_FALSE(unkeyed.Against(1).Keyed());
    EXPECT_EQ(CountsOf(unkeyed.Against(1)), (Counts{1, 0, 0, 0}));
}

TEST(ResultComparisonTest, NullIsNotEmptyTextInValuesAndKeys)
{
    Sets sets;
    const QStringList columns = {u"k"_qs, u"v"_qs};
    const auto& ref = sets.Add(
        u"A"_qs, columns, {{u"<NULL>"_qs, u"1"_qs}, {u""_qs, u"<NULL>"_qs}, {u"x"_qs, u""_qs}});
    const auto& other = sets.Add(
        u"B"_qs, columns, {{u""_qs, u"1"_qs}, {u"<NULL>"_qs, u"<NULL>"_qs}, {u"x"_qs, u""_qs}});
    EXPECT_EQ(CountsOf(Compare(ref, other).Against(1)), (Counts{1, 2, 2, 0}));
    EXPECT_EQ(CountsOf(Compare(ref, other, {u"k"_qs}).Against(1)), (Counts{1, 0, 0, 2}));
    const auto& same = sets.Add(
        u"C"_qs, columns, {{u"x"_qs, u""_qs}, {u""_qs, u"<NULL>"_qs}, {u"<NULL>"_qs, u"1"_qs}});
    EXPECT_EQ(Compare(ref, same).Summary(1), u"same as A"_qs);
}

TEST(ResultComparisonTest, NoDifferenceIsSeenPastACut)
{
    Sets sets;
    const QStringList columns = {u"id"_qs, u"text"_qs};
    const auto& ref = sets.Add(u"Pg"_qs, columns,
                               {{u"1"_qs, u"abcdef~"_qs},
                                {u"2"_qs, u"abc~"_qs},
                                {u"3"_qs, u"xyz~"_qs},
                                {u"4"_qs, u"long~"_qs}});
    const auto& other = sets.Add(u"Maria"_qs, columns,
                                 {{u"1"_qs, u"abcdefghij"_qs}, // whole, starts alike
                                  {u"2"_qs, u"abcde~"_qs},     // cut later, starts alike
                                  {u"3"_qs, u"xyw~"_qs},       // differs before the cut
                                  {u"4"_qs, u"lo"_qs}});       // whole and shorter than shown
    const CResultComparison keyed = Compare(ref, other, {u"id"_qs});
    EXPECT_EQ(CountsOf(keyed.Against(1)), (Counts{2, 0, 0, 2}));
    EXPECT_EQ(keyed.Against(1).CutCells(), 4);
    EXPECT_EQ(keyed.Against(1).Status(CompareSide::Reference, 1), RowStatus::Same);
    // Cut values as the rows' only key still meet in the table.
    const CResultComparison whole = Compare(ref, other);
    EXPECT_EQ(CountsOf(whole.Against(1)), (Counts{2, 2, 2, 0}));
}

TEST(ResultComparisonTest, AChosenReferenceAndSeveralConnections)
{
    Sets sets;
    const QStringList columns = {u"n"_qs};
    const auto& a = sets.Add(u"A"_qs, columns, {{u"1"_qs}, {u"2"_qs}});
    const auto& b = sets.Add(u"B"_qs, columns, {{u"1"_qs}, {u"2"_qs}, {u"3"_qs}});
    const auto& c = sets.Add(u"C"_qs, columns, {{u"2"_qs}, {u"3"_qs}, {u"1"_qs}});
    CResultComparison comparison({&a, &b, &c}, 1);
    comparison.Run();
    EXPECT_EQ(comparison.Summary(0), u"1 missing"_qs);
    EXPECT_EQ(comparison.Summary(1), u"reference"_qs);
    EXPECT_EQ(comparison.Summary(2), u"same as B"_qs);
    CResultComparison agreeing({&b, &c});
    agreeing.Run();
    EXPECT_TRUE(agreeing.AllAgree());
}

TEST(ResultComparisonTest, StepsMatchAComparisonAtOnceAndStopLeavesItIncomplete)
{
    // Random rows with many repeats against a count of each row text.
    std::mt19937 random(16);
    Rows refRows;
    Rows otherRows;
    QHash<QString, int> balance;
    for (int i = 0; i < 3000; ++i) {
        // NULL and empty text among the values: the marks are walked both ways.
        static const QStringList kSecond = {u"0"_qs, u"1"_qs, u""_qs, u"<NULL>"_qs};
        const QStringList row = {QString::number(random() % 40), kSecond[random() % 4]};
        const bool toReference = random() % 2 == 0;
        (toReference ? refRows : otherRows) << row;
        balance[row.join(u'\t')] += toReference ? 1 : -1;
    }
    Counts expected{0, 0, 0, 0};
    for (const int b : balance) {
        (b > 0 ? expected.missing : expected.onlyHere) += std::abs(b);
    }
    expected.same = qsizetype(otherRows.size()) - expected.onlyHere;

    Sets sets;
    const auto& ref = sets.Add(u"A"_qs, {u"a"_qs, u"b"_qs}, refRows);
    const auto& other = sets.Add(u"B"_qs, {u"a"_qs, u"b"_qs}, otherRows);
    CResultComparison stepped({&ref, &other});
    double progress = 0;
    int steps = 0;
    while (!stepped.Step(97)) {
        EXPECT_GE(stepped.Progress(), progress);
        progress = stepped.Progress();
        ++steps;
    }
    EXPECT_GT(steps, 10);
    EXPECT_EQ(stepped.Progress(), 1.0);
    EXPECT_EQ(CountsOf(stepped.Against(1)), expected);

    CResultComparison stopped({&ref, &other});
    EXPECT_FALSE(stopped.Step(500));
    stopped.Stop();
    EXPECT_TRUE(stopped.Step(500));
    EXPECT_TRUE(stopped.Stopped());
    EXPECT_LT(stopped.Progress(), 0.5);
    EXPECT_EQ(stopped.Summary(1), u"not compared to the end"_qs);
    EXPECT_FALSE(stopped.AllAgree());
}

TEST(ResultComparisonTest, GroupsGatherEachBatchAndResultInConnectionOrder)
{
    Sets sets;
    sets.Add(u"A"_qs, {u"x"_qs}, {}, 0, 0);
    sets.Add(u"A"_qs, {u"y"_qs}, {}, 1, 0);
    sets.Add(u"B"_qs, {u"x"_qs}, {}, 0, 0);
    sets.Add(u"B"_qs, {u"y"_qs}, {}, 1, 0);
    sets.Add(u"B"_qs, {u"z"_qs}, {}, 1, 1);
    const auto groups = CResultSetGroups::Of(sets.m_store, {u"B"_qs, u"A"_qs});
    ASSERT_EQ(groups.size(), 3U);
    EXPECT_EQ(groups[1].batch, 1);
    ASSERT_EQ(groups[1].sets.size(), 2U);
    EXPECT_EQ(groups[1].sets[0]->Connection(), u"B"_qs);
    EXPECT_EQ(groups[1].sets[1]->Columns(), QStringList{u"y"_qs});
    EXPECT_EQ(groups[2].result, 1);
    EXPECT_EQ(groups[2].sets.size(), 1U);
}
