#include "execution/CBatchSplitter.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

QStringList SplitAt(const QString& text, const QString& separator)
{
    QStringList batches;
    EXPECT_TRUE(CBatchSplitter::Split(text, separator, batches)) << text.toStdString();
    return batches;
}

bool IsWhiteSpace(QChar c)
{
    return c == u'\t' || c == u'\n' || c == u'\r' || c == u' ';
}

// The cut done step by step: search from p, and after each cut replace the text by what follows
// the separator and search it again from its start.
QStringList ReferenceSplit(QString text, const QString& separator)
{
    QStringList batches;
    if (text.isEmpty()) {
        return batches;
    }
    qsizetype p = 0;
    while (!separator.isEmpty()) {
        const qsizetype i = text.indexOf(separator, p);
        if (i < 0) {
            break;
        }
        const qsizetype next = i + separator.size();
        const bool before = i == 0 || IsWhiteSpace(text[i - 1]);
        const bool after = next >= text.size() || IsWhiteSpace(text[next]);
        if (!before || !after) {
            p = next;
            continue;
        }
        batches.append(text.left(i));
        text = text.mid(next);
        p = 0;
    }
    batches.append(text);
    return batches;
}

QString NumberedStatements(int count, const QString& separator)
{
    QStringList statements;
    for (int i = 1; i <= count; ++i) {
        statements.append("SELECT " + QString::number(i));
    }
    return statements.join(" " + separator + "\n");
}

} // namespace

TEST(BatchSplitterTest, SeparatorAfterWhiteSpaceSplits)
{
    EXPECT_EQ(SplitAt("SELECT 1 ;\nSELECT 2", ";"), QStringList({"SELECT 1 ", "\nSELECT 2"}));
}

TEST(BatchSplitterTest, SeparatorGluedToTextDoesNotSplit)
{
    EXPECT_EQ(SplitAt("SELECT 1;\nSELECT 2", ";"), QStringList({"SELECT 1;\nSELECT 2"}));
    EXPECT_EQ(SplitAt("SELECT 1 ;SELECT 2", ";"), QStringList({"SELECT 1 ;SELECT 2"}));
    EXPECT_EQ(SplitAt("a;b", ";"), QStringList({"a;b"}));
}

TEST(BatchSplitterTest, WordSeparatorOnItsOwnLineSplits)
{
    EXPECT_EQ(SplitAt("CREATE TABLE t (x INT)\nGO\nINSERT INTO t VALUES (1)", "GO"),
              QStringList({"CREATE TABLE t (x INT)\n", "\nINSERT INTO t VALUES (1)"}));
    EXPECT_EQ(SplitAt("SELECT 1\r\nGO\r\nSELECT 2", "GO"),
              QStringList({"SELECT 1\r\n", "\r\nSELECT 2"}));
    EXPECT_EQ(SplitAt("SELECT 1\tGO\tSELECT 2", "GO"), QStringList({"SELECT 1\t", "\tSELECT 2"}));
}

TEST(BatchSplitterTest, SeparatorInsideALongerWordDoesNotSplit)
{
    EXPECT_EQ(SplitAt("SELECT 1\nGOTO x\nSELECT 2", "GO"),
              QStringList({"SELECT 1\nGOTO x\nSELECT 2"}));
    EXPECT_EQ(SplitAt("SELECT ALGO FROM t", "GO"), QStringList({"SELECT ALGO FROM t"}));
    EXPECT_EQ(SplitAt("SELECT 1 ERGOT 2", "GO"), QStringList({"SELECT 1 ERGOT 2"}));
}

TEST(BatchSplitterTest, SearchIsCaseSensitive)
{
    EXPECT_EQ(SplitAt("SELECT 1\ngo\nSELECT 2", "GO"), QStringList({"SELECT 1\ngo\nSELECT 2"}));
    EXPECT_EQ(SplitAt("SELECT 1\ngo\nSELECT 2", "go"), QStringList({"SELECT 1\n", "\nSELECT 2"}));
}

TEST(BatchSplitterTest, SeparatorsAtTheEndsOfTheText)
{
    EXPECT_EQ(SplitAt("GO\nSELECT 1", "GO"), QStringList({"", "\nSELECT 1"}));
    EXPECT_EQ(SplitAt("SELECT 1\nGO", "GO"), QStringList({"SELECT 1\n", ""}));
    EXPECT_EQ(SplitAt("SELECT 1 ;\n", ";"), QStringList({"SELECT 1 ", "\n"}));
    EXPECT_EQ(SplitAt(";", ";"), QStringList({"", ""}));
}

TEST(BatchSplitterTest, SeparatorsInARowEachCut)
{
    EXPECT_EQ(SplitAt("a ; ; b", ";"), QStringList({"a ", " ", " b"}));
    EXPECT_EQ(SplitAt("a ;; b", ";"), QStringList({"a ;; b"}));
}

TEST(BatchSplitterTest, LongerSeparatorIsMatchedWhole)
{
    EXPECT_EQ(SplitAt("SELECT 1\nEND BATCH\nSELECT 2", "END BATCH"),
              QStringList({"SELECT 1\n", "\nSELECT 2"}));
    EXPECT_EQ(SplitAt("SELECT 1\nEND BATCHES\nSELECT 2", "END BATCH"),
              QStringList({"SELECT 1\nEND BATCHES\nSELECT 2"}));
}

TEST(BatchSplitterTest, NonCuttingSeparatorIsSteppedOverWhole)
{
    // The second "GOGO" starts inside the first, which does not cut; the search resumes after it.
    EXPECT_EQ(SplitAt("x GOGOGO y", "GOGO"), QStringList({"x GOGOGO y"}));
    EXPECT_EQ(SplitAt("x GOGO GOGO", "GOGO"), QStringList({"x ", " ", ""}));
}

TEST(BatchSplitterTest, StartOfTheRemainingTextIsABoundary)
{
    // After the first cut the text left is " ;", whose start counts as white space even though
    // the cut separator's ";" stands just before it.
    EXPECT_EQ(SplitAt("a  ; ;", " ;"), QStringList({"a ", "", ""}));
    EXPECT_EQ(SplitAt("a  ; ;b", " ;"), QStringList({"a ", " ;b"}));
}

TEST(BatchSplitterTest, EmptyTextGivesNoBatch)
{
    QStringList batches{"from an earlier run"};
    EXPECT_FALSE(CBatchSplitter::Split("", ";", batches));
    EXPECT_TRUE(batches.isEmpty());
    EXPECT_FALSE(CBatchSplitter::Split(QString(), QString(), batches));
    EXPECT_TRUE(batches.isEmpty());
}

TEST(BatchSplitterTest, WithoutSeparatorTheWholeTextIsOneBatch)
{
    const QString text = "SELECT 1 ;\nSELECT 2";
    EXPECT_EQ(SplitAt(text, ""), QStringList({text}));
    EXPECT_EQ(SplitAt(text, QString()), QStringList({text}));
}

TEST(BatchSplitterTest, ProgressShowsEveryHundredBatches)
{
    QStringList events;
    CBatchSplitter::Hooks hooks;
    hooks.showCount = [&](int count) { events.append("count " + QString::number(count)); };
    hooks.showProgress = [&](bool shown) { events.append(shown ? "show" : "hide"); };
    hooks.waitForIdle = [&] { events.append("idle"); };
    QStringList batches;

    ASSERT_TRUE(CBatchSplitter::Split(NumberedStatements(250, ";"), ";", batches, hooks));

    EXPECT_EQ(batches.size(), 250);
    EXPECT_EQ(batches.first(), "SELECT 1 ");
    EXPECT_EQ(batches.last(), "\nSELECT 250");
    EXPECT_EQ(events,
              QStringList({"count 0", "show", "count 100", "idle", "count 200", "idle", "hide"}));
}

TEST(BatchSplitterTest, NoProgressWithoutSeparator)
{
    int calls = 0;
    CBatchSplitter::Hooks hooks;
    hooks.showCount = [&](int) { ++calls; };
    hooks.showProgress = [&](bool) { ++calls; };
    QStringList batches;
    EXPECT_TRUE(CBatchSplitter::Split("SELECT 1 ; SELECT 2", "", batches, hooks));
    EXPECT_EQ(calls, 0);
}

TEST(BatchSplitterTest, StopAfterACutKeepsTheRestAsLastBatch)
{
    QStringList batches;
    QStringList events;
    CBatchSplitter::Hooks hooks;
    hooks.stopRequested = [&] { return batches.size() >= 3; };
    hooks.showProgress = [&](bool shown) { events.append(shown ? "show" : "hide"); };

    EXPECT_FALSE(CBatchSplitter::Split("1 ; 2 ; 3 ; 4 ; 5", ";", batches, hooks));

    EXPECT_EQ(batches, QStringList({"1 ", " 2 ", " 3 ", " 4 ; 5"}));
    EXPECT_EQ(events, QStringList({"show", "hide"}));
}

TEST(BatchSplitterTest, StopBeforeTheStartCutsNothing)
{
    bool shown = false;
    CBatchSplitter::Hooks hooks;
    hooks.stopRequested = [] { return true; };
    hooks.showProgress = [&](bool) { shown = true; };
    QStringList batches{"old"};

    EXPECT_FALSE(CBatchSplitter::Split("1 ; 2", ";", batches, hooks));
    EXPECT_TRUE(batches.isEmpty());
    EXPECT_FALSE(shown);
    EXPECT_FALSE(CBatchSplitter::Split("1 ; 2", "", batches, hooks));
    EXPECT_TRUE(batches.isEmpty());
}

TEST(BatchSplitterTest, StopRequestIsCheckedAfterEveryCut)
{
    int checks = 0;
    CBatchSplitter::Hooks hooks;
    hooks.stopRequested = [&] {
        ++checks;
        return false;
    };
    QStringList batches;
    ASSERT_TRUE(CBatchSplitter::Split("1 ; 2;3 ; 4", ";", batches, hooks));
    EXPECT_EQ(batches.size(), 3);
    EXPECT_EQ(checks, 3) << "once before the search and once per cut";
}

TEST(BatchSplitterTest, RandomTextsMatchTheStepByStepCut)
{
    const std::vector<QString> separators{";", "GO", " ;", "; ", ";;", "\n", "O G", "GOGO"};
    std::mt19937 random(7331);
    for (int round = 0; round < 4000; ++round) {
        const QString& separator = separators[round % separators.size()];
        // The separator itself is one of the pieces, so that runs of it are common.
        const std::vector<QString> pieces{"a", " ", "\n", "\r", "\t", ";", "G", "O", separator};
        QString text;
        for (unsigned n = random() % 30; n > 0; --n) {
            text += pieces[random() % pieces.size()];
        }
        QStringList batches;
        CBatchSplitter::Split(text, separator, batches);
        ASSERT_EQ(batches, ReferenceSplit(text, separator))
            << "text \"" << text.toStdString() << "\" separator \"" << separator.toStdString()
            << '"';
    }
}

// Scripts as people write them: a separator inside a quote or a comment must never cut, or the
// first half of a statement runs on its own (a DELETE without its WHERE).
TEST(BatchSplitterTest, QuotesAndCommentsNeverCut)
{
    const QStringList whole{
        u"DELETE FROM t -- remove the test row ; only id 1\nWHERE id = 1"_qs,
        u"UPDATE t SET note='x' /* only row 2 ; see ticket */ WHERE id = 2"_qs,
        u"SELECT 'a ; b' AS x"_qs,
        u"SELECT 'it''s ; fine', 'O\\'Brien ; too' AS x"_qs,
        u"SELECT \"odd ; name\", `other ; one`, [third ; one] FROM t"_qs,
        u"CREATE FUNCTION f() RETURNS int AS $$ SELECT 1 ; $$ LANGUAGE sql"_qs,
        u"CREATE FUNCTION g() RETURNS int AS $body$ BEGIN ; RETURN 1 ; END $body$ LANGUAGE plpgsql"_qs,
    };
    for (const QString& statement : whole) {
        EXPECT_EQ(SplitAt(statement, u";"_qs), QStringList{statement}) << statement.toStdString();
    }
    // And the free separators around them still cut.
    EXPECT_EQ(SplitAt(whole[0] + u" ;\n"_qs + whole[5] + u" ;\nSELECT 3"_qs, u";"_qs),
              (QStringList{whole[0] + u' ', u"\n"_qs + whole[5] + u' ', u"\nSELECT 3"_qs}));
}

TEST(BatchSplitterTest, WordSeparatorInsideACommentDoesNotCut)
{
    const QString script = u"SELECT 1\n/* run twice:\nGO\n*/\nSELECT 2\nGO\nSELECT 3"_qs;
    EXPECT_EQ(SplitAt(script, u"GO"_qs),
              (QStringList{u"SELECT 1\n/* run twice:\nGO\n*/\nSELECT 2\n"_qs, u"\nSELECT 3"_qs}));
}

TEST(BatchSplitterTest, DollarsThatAreNoQuotesLeaveSeparatorsFree)
{
    // A parameter, a name holding a dollar and a lone dollar sign open nothing.
    EXPECT_EQ(SplitAt(u"SELECT $1 ; SELECT a$b$ ; SELECT '$' ; SELECT 4"_qs, u";"_qs).size(), 4);
}

TEST(BatchSplitterTest, AnOpenQuoteOrCommentKeepsTheRestWhole)
{
    for (const QString& open : {u"SELECT 'unended ; x"_qs, u"SELECT 1 /* unended ; x"_qs,
                                u"SELECT $$ unended ; x"_qs, u"SELECT \"unended ; x"_qs}) {
        EXPECT_EQ(SplitAt(u"SELECT 0 ;\n"_qs + open, u";"_qs),
                  (QStringList{u"SELECT 0 "_qs, u"\n"_qs + open}))
            << open.toStdString();
    }
}
