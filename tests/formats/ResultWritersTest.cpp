#include "ReadBack.h"
#include "WriteSets.h"

#include "formats/CJsonObjectsWriter.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

// A row as a delimited reader sees it: the connection first, NULL as empty text.
QJsonArray ReaderRow(const QString& connection, const QList<std::optional<QString>>& row,
                     bool tsv = false)
{
    QJsonArray cells{connection};
    for (const auto& value : row) {
        QString text = value.value_or(QString());
        if (tsv) {
            text.replace(u'\r', u' ').replace(u'\n', u' ').replace(u'\t', u' ');
        }
        cells.append(text);
    }
    return cells;
}

QJsonArray ReaderBlock(const TestSet& set, bool tsv = false)
{
    QJsonArray header{u"connection"_qs};
    for (const QString& column : set.header.columns) {
        header.append(column);
    }
    QJsonArray block{header};
    for (const auto& row : set.rows) {
        block.append(ReaderRow(set.header.connection, row, tsv));
    }
    return block;
}

QJsonArray JsonValues(const QList<std::optional<QString>>& row)
{
    QJsonArray values;
    for (const auto& value : row) {
        values.append(value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null));
    }
    return values;
}

QJsonArray Strings(const QStringList& texts)
{
    return QJsonArray::fromStringList(texts);
}

const std::vector<TestSet> kTwoSets{AwkwardSet(u"Archive,PG"_qs, 0),
                                    AwkwardSet(u"Maria \"DB\""_qs, 1)};

} // namespace

TEST(ResultWriters, CsvIsReadBackWholeAndTellsNullFromEmptyText)
{
    const QByteArray csv = WriteSets(ResultFormat::Csv, kTwoSets);
    QString error;
    const QJsonValue read = ReadBack(u"csv"_qs, csv, &error);
    ASSERT_TRUE(read.isArray()) << error.toStdString();
    EXPECT_EQ(read.toArray(), (QJsonArray{ReaderBlock(kTwoSets[0]), ReaderBlock(kTwoSets[1])}));
    // RFC 4180's line ends, an empty line between the sets; NULL unquoted, empty text quoted.
    EXPECT_TRUE(csv.startsWith("connection,id,\"a,b\",\"\"\"quoted\"\" <name>\"\r\n"));
    EXPECT_TRUE(csv.contains("\"Archive,PG\",3,\"\",\r\n"));
    EXPECT_TRUE(csv.contains("\"line1\r\nline2\"\r\n"));
    EXPECT_TRUE(csv.contains("\r\n\r\nconnection,"));
    EXPECT_EQ(csv.count("\r\n\r\n"), 1);
}

TEST(ResultWriters, TsvKeepsEveryValueOnItsLine)
{
    const QByteArray tsv = WriteSets(ResultFormat::Tsv, kTwoSets);
    const QJsonValue read = ReadBack(u"tsv"_qs, tsv);
    EXPECT_EQ(read.toArray(),
              (QJsonArray{ReaderBlock(kTwoSets[0], true), ReaderBlock(kTwoSets[1], true)}));
}

TEST(ResultWriters, JsonIsAnArrayOfSetsWithNullsAndOneBasedNumbers)
{
    const QJsonValue read = ReadBack(u"json"_qs, WriteSets(ResultFormat::Json, kTwoSets));
    QJsonArray expected;
    for (const TestSet& set : kTwoSets) {
        QJsonArray rows;
        for (const auto& row : set.rows) {
            rows.append(JsonValues(row));
        }
        expected.append(QJsonObject{{u"connection"_qs, set.header.connection},
                                    {u"batch"_qs, set.header.batch + 1},
                                    {u"result"_qs, 1},
                                    {u"columns"_qs, Strings(set.header.columns)},
                                    {u"rows"_qs, rows}});
    }
    EXPECT_EQ(read.toArray(), expected);
    // No sets at all is still an array.
    EXPECT_EQ(ReadBack(u"json"_qs, WriteSets(ResultFormat::Json, {})).toArray(), QJsonArray());
}

TEST(ResultWriters, JsonEscapesControlCharacters)
{
    TestSet set;
    set.header = {u"c"_qs, 0, 0, {u"x"_qs}};
    QString controls;
    for (char16_t c = 0; c < 32; ++c) {
        controls += QChar(c);
    }
    controls += u"\"\\/\x7f"_qs;
    set.rows = {{controls}};
    const QJsonValue read = ReadBack(u"json"_qs, WriteSets(ResultFormat::Json, {set}));
    EXPECT_EQ(read[0][u"rows"_qs][0][0].toString(), controls);
}

TEST(ResultWriters, NdjsonHasASetLineThenARowLineEach)
{
    const QByteArray ndjson = WriteSets(ResultFormat::Ndjson, kTwoSets);
    const QJsonArray lines = ReadBack(u"ndjson"_qs, ndjson).toArray();
    ASSERT_EQ(lines.size(), 2 * (1 + 5));
    for (size_t s = 0; s < kTwoSets.size(); ++s) {
        const TestSet& set = kTwoSets[s];
        const QJsonObject names{{u"connection"_qs, set.header.connection},
                                {u"batch"_qs, set.header.batch + 1},
                                {u"result"_qs, 1}};
        QJsonObject head = names;
        head[u"columns"_qs] = Strings(set.header.columns);
        EXPECT_EQ(lines[qsizetype(s) * 6].toObject(), head);
        for (qsizetype r = 0; r < set.rows.size(); ++r) {
            QJsonObject row = names;
            row[u"row"_qs] = JsonValues(set.rows[r]);
            EXPECT_EQ(lines[qsizetype(s) * 6 + 1 + r].toObject(), row);
        }
    }
}

TEST(ResultWriters, HtmlTablesEscapeTextAndMarkNull)
{
    const QJsonArray tables =
        ReadBack(u"html"_qs, WriteSets(ResultFormat::Html, kTwoSets)).toArray();
    ASSERT_EQ(tables.size(), 2);
    for (qsizetype s = 0; s < 2; ++s) {
        const TestSet& set = kTwoSets[size_t(s)];
        const QJsonArray rows = tables[s].toArray();
        ASSERT_EQ(rows.size(), 1 + set.rows.size());
        EXPECT_EQ(rows[0][3][0].toString(), set.header.columns[2]);
        for (qsizetype r = 0; r < set.rows.size(); ++r) {
            EXPECT_EQ(rows[r + 1][0][0].toString(), set.header.connection);
            for (qsizetype c = 0; c < set.rows[r].size(); ++c) {
                const auto& value = set.rows[r][c];
                const QJsonArray cell = rows[r + 1][c + 1].toArray();
                // A CR LF is one line break.
                EXPECT_EQ(cell[0].toString(),
                          value.value_or(QString()).replace(u"\r\n"_qs, u"\n"_qs));
                EXPECT_EQ(cell[1].toBool(), !value.has_value());
            }
        }
    }
}

TEST(ResultWriters, SqlInsertStatementsRunAndGiveTheValuesBack)
{
    CWriterOptions options;
    options.tableName = u"copied"_qs;
    const QJsonArray rows =
        ReadBack(u"sql"_qs, WriteSets(ResultFormat::SqlInsert, kTwoSets, options)).toArray();
    ASSERT_EQ(rows.size(), 10);
    for (qsizetype r = 0; r < 10; ++r) {
        const TestSet& set = kTwoSets[size_t(r / 5)];
        QJsonArray expected{set.header.connection};
        for (const QJsonValue& value : JsonValues(set.rows[r % 5])) {
            expected.append(value);
        }
        EXPECT_EQ(rows[r].toArray(), expected);
    }
}

TEST(ResultWriters, MarkdownEscapesMarkupAndEmphasisesNull)
{
    TestSet set;
    set.header = {u"db"_qs, 0, 0, {u"a|b"_qs, u"c"_qs}};
    set.rows = {{u"x*y_z`w\\"_qs, std::nullopt}, {u"<i>&\nnext"_qs, u""_qs}};
    EXPECT_EQ(WriteSets(ResultFormat::Markdown, {set, set}, {}),
              "| connection | a\\|b | c |\n| --- | --- | --- |\n"
              "| db | x\\*y\\_z\\`w\\\\ | *NULL* |\n| db | &lt;i>&amp;<br>next |  |\n"
              "\n"
              "| connection | a\\|b | c |\n| --- | --- | --- |\n"
              "| db | x\\*y\\_z\\`w\\\\ | *NULL* |\n| db | &lt;i>&amp;<br>next |  |\n");
}

TEST(ResultWriters, WithoutTheConnectionColumnOnlyTheSetsColumnsAreWritten)
{
    CWriterOptions options;
    options.connectionColumn = false;
    const QJsonArray blocks =
        ReadBack(u"csv"_qs, WriteSets(ResultFormat::Csv, {kTwoSets[0]}, options)).toArray();
    ASSERT_EQ(blocks.size(), 1);
    EXPECT_EQ(blocks[0][0].toArray(), Strings(kTwoSets[0].header.columns));
    EXPECT_EQ(blocks[0][1].toArray(), (QJsonArray{u"1"_qs, u"plain"_qs, u"with,comma"_qs}));
}

TEST(ResultWriters, RepeatedColumnNamesAreCountedForObjects)
{
    EXPECT_EQ(UniqueColumnNames({u"a"_qs, u"b"_qs, u"a"_qs, u"a (2)"_qs, u"a"_qs}),
              (QStringList{u"a"_qs, u"b"_qs, u"a (3)"_qs, u"a (2)"_qs, u"a (4)"_qs}));
}

TEST(ResultFormats, NamesAndSuffixes)
{
    EXPECT_EQ(ResultFormatNamed(u"ndjson"_qs), ResultFormat::Ndjson);
    EXPECT_EQ(ResultFormatNamed(u"markdown"_qs), ResultFormat::Markdown);
    EXPECT_FALSE(ResultFormatNamed(u"JSON"_qs).has_value());
    EXPECT_FALSE(ResultFormatNamed(u"xml"_qs).has_value());
    EXPECT_EQ(ResultFormatSuffix(ResultFormat::Markdown), u"md"_qs);
    EXPECT_EQ(ResultFormatSuffix(ResultFormat::Xlsx), u"xlsx"_qs);
}
