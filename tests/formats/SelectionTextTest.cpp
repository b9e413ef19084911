#include "ReadBack.h"

#include "formats/CSelectionText.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

const QStringList kColumns{u"id"_qs, u"name"_qs, u"id"_qs};

QList<CSelectionRow> Rows()
{
    return {
        {u"ArchivePG"_qs, {u"1"_qs, u"Ann, \"the\" <first>"_qs, u"x"_qs}, {false, false, false}},
        {u"LiveMaria"_qs, {u"2"_qs, u""_qs, u""_qs}, {false, true, false}},
        {u"LiveMaria"_qs, {u"3"_qs}, {}}, // values past the row's end are empty
    };
}

CWriterOptions Options(bool connection)
{
    CWriterOptions options;
    options.connectionColumn = connection;
    options.connectionHeader = u"Connection"_qs;
    options.tableName = u"people"_qs;
    return options;
}

} // namespace

TEST(SelectionText, PlainTextIsTabSeparatedWithAHeaderRow)
{
    EXPECT_EQ(CSelectionText::Format(ResultFormat::Tsv, kColumns, Rows(), Options(true)),
              "Connection\tid\tname\tid\n"
              "ArchivePG\t1\tAnn, \"the\" <first>\tx\n"
              "LiveMaria\t2\t\t\n"
              "LiveMaria\t3\t\t\n");
}

TEST(SelectionText, HtmlIsOneTableWithEachRowsConnection)
{
    const QByteArray html =
        CSelectionText::Format(ResultFormat::Html, kColumns, Rows(), Options(true));
    const QJsonArray tables = ReadBack(u"html"_qs, html).toArray();
    ASSERT_EQ(tables.size(), 1);
    const QJsonArray rows = tables[0].toArray();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0][0][0].toString(), u"Connection"_qs);
    EXPECT_EQ(rows[1][0][0].toString(), u"ArchivePG"_qs);
    EXPECT_EQ(rows[1][2][0].toString(), u"Ann, \"the\" <first>"_qs);
    EXPECT_EQ(rows[2][0][0].toString(), u"LiveMaria"_qs);
    EXPECT_TRUE(rows[2][2][1].toBool()); // NULL
    EXPECT_FALSE(rows[2][3][1].toBool());
}

TEST(SelectionText, CopyAsFormatsReadBack)
{
    const QJsonArray csv =
        ReadBack(u"csv"_qs, CSelectionText::Format(ResultFormat::Csv, kColumns, Rows(), {}))
            .toArray();
    ASSERT_EQ(csv.size(), 1);
    EXPECT_EQ(csv[0][2].toArray(), (QJsonArray{u"LiveMaria"_qs, u"2"_qs, u""_qs, u""_qs}));

    const QJsonArray objects =
        ReadBack(u"json"_qs,
                 CSelectionText::Format(ResultFormat::Json, kColumns, Rows(), Options(true)))
            .toArray();
    ASSERT_EQ(objects.size(), 3);
    EXPECT_EQ(objects[0].toObject(), (QJsonObject{{u"Connection"_qs, u"ArchivePG"_qs},
                                                  {u"id"_qs, u"1"_qs},
                                                  {u"name"_qs, u"Ann, \"the\" <first>"_qs},
                                                  {u"id (2)"_qs, u"x"_qs}}));
    EXPECT_TRUE(objects[1][u"name"_qs].isNull());
    EXPECT_EQ(objects[2][u"Connection"_qs].toString(), u"LiveMaria"_qs);

    const QByteArray sql = CSelectionText::Format(ResultFormat::SqlInsert, {u"id"_qs, u"name"_qs},
                                                  Rows().mid(0, 2), Options(false));
    EXPECT_EQ(sql, "INSERT INTO people (\"id\", \"name\") VALUES ('1', 'Ann, \"the\" <first>');\n"
                   "INSERT INTO people (\"id\", \"name\") VALUES ('2', NULL);\n");
    const QJsonArray inserted = ReadBack(u"sql"_qs, sql).toArray();
    EXPECT_EQ(inserted, (QJsonArray{QJsonArray{u"1"_qs, u"Ann, \"the\" <first>"_qs},
                                    QJsonArray{u"2"_qs, QJsonValue::Null}}));

    const QByteArray markdown =
        CSelectionText::Format(ResultFormat::Markdown, kColumns, Rows().mid(1, 1), Options(true));
    EXPECT_EQ(markdown, "| Connection | id | name | id |\n| --- | --- | --- | --- |\n"
                        "| LiveMaria | 2 | *NULL* |  |\n");
}
