#include "ReadBack.h"
#include "WriteSets.h"

#include "formats/CXlsxWriter.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(XlsxWriter, ASheetASetWithHeaderConnectionAndEmptyNulls)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(u"out.xlsx"_qs);
    const std::vector<TestSet> sets{AwkwardSet(u"Archive/PG"_qs, 1), AwkwardSet(u"Maria"_qs, 1)};
    {
        CXlsxWriter workbook(path, {}, folder.path());
        std::vector<CFieldValue> values;
        for (const TestSet& set : sets) {
            workbook.BeginSet(set.header);
            for (const auto& row : set.rows) {
                values.clear();
                for (const auto& value : row) {
                    values.push_back(value ? CFieldValue{*value, false} : CFieldValue{{}, true});
                }
                workbook.WriteRow(values);
            }
            workbook.EndSet();
        }
        QString error;
        ASSERT_TRUE(workbook.Close(error)) << error.toStdString();
    }
    QString error;
    const QJsonObject read = ReadBackFile(u"xlsx"_qs, path, &error).toObject();
    ASSERT_FALSE(read.isEmpty()) << error.toStdString();
    EXPECT_EQ(read[u"sheets"_qs].toArray(),
              (QJsonArray{u"B2 R1 Archive_PG"_qs, u"B2 R1 Maria"_qs}));
    const QJsonArray rows = read[u"cells"_qs][u"B2 R1 Archive_PG"_qs].toArray();
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[0].toArray(),
              (QJsonArray{u"connection"_qs, u"id"_qs, u"a,b"_qs, u"\"quoted\" <name>"_qs}));
    EXPECT_EQ(rows[1].toArray(),
              (QJsonArray{u"Archive/PG"_qs, u"1"_qs, u"plain"_qs, u"with,comma"_qs}));
    // Numbers stay the text they were; NULL (and empty text) leave the cell empty.
    EXPECT_TRUE(rows[3][3].isNull());
    EXPECT_EQ(rows[4][2].toString(), u"ünïcødé € 😀"_qs);
    EXPECT_EQ(rows[2][3].toString(), u"line1\r\nline2"_qs);
}

TEST(XlsxWriter, SheetNamesAreShortCleanAndUnique)
{
    QSet<QString> taken;
    const QString wanted = u"B1 R1 [a]:b*c?d/e\\f and a long tail of words"_qs;
    for (int i = 0; i < 12; ++i) {
        const QString name = CXlsxWriter::SheetName(wanted, taken);
        EXPECT_LE(name.toUcs4().size(), 31) << name.toStdString();
        for (const QChar c : u"[]:*?/\\"_qs) {
            EXPECT_FALSE(name.contains(c)) << name.toStdString();
        }
        EXPECT_FALSE(taken.contains(name.toLower())) << name.toStdString();
        taken.insert(name.toLower());
    }
    EXPECT_EQ(CXlsxWriter::SheetName(u"'quoted'"_qs, {}), u"quoted"_qs);
    EXPECT_EQ(CXlsxWriter::SheetName(u"Sales"_qs, {u"sales"_qs}), u"Sales ~2"_qs);
}
