#include "ReadBack.h"

#include "execution/CPostElemArray.h"
#include "execution/CResultStore.h"
#include "formats/CResultExport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A set of `rows` rows "<connection><n>\t<n>" for the connection, its second value NULL in the
// third row and cut in the fourth.
void AddSet(CResultStore& store, const QString& connection, int batch, int rows)
{
    CPostElemArray posted(connection, rows + 1);
    posted.AddHeader(u"name\tvalue", batch, 0);
    odbc::ValueMarks marks;
    for (int row = 0; row < rows; ++row) {
        marks.Reset(2);
        if (row == 2) {
            marks.MarkNull(1);
        }
        if (row == 3) {
            marks.MarkCut(1);
        }
        posted.AddRow(QStringLiteral("%1%2\t%3").arg(connection).arg(row).arg(row == 2 ? 0 : row),
                      marks);
    }
    store.Intake(posted);
}

class ResultExport : public testing::Test
{
protected:
    void SetUp() override
    {
        AddSet(m_store, u"Archive"_qs, 0, 5);
        AddSet(m_store, u"Live/1"_qs, 0, 4);
        AddSet(m_store, u"Archive"_qs, 1, 2);
    }

    // Exports in slices of two rows; the error, if any.
    QString Export(const CExportRequest& request)
    {
        CResultExport exporter(m_store, request);
        QString error;
        if (!exporter.Start(error)) {
            return error;
        }
        int steps = 1;
        for (; !exporter.Step(2); ++steps) {
            EXPECT_EQ(exporter.RowsWritten(), 2 * steps);
        }
        EXPECT_EQ(exporter.RowsWritten(), exporter.RowsTotal());
        exporter.Commit(error);
        return error;
    }

    QStringList Files() const { return QDir(m_dir.path()).entryList(QDir::Files); }

    CResultStore m_store;
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ResultExport, CsvOfAllSetsWithTheConnectionColumn)
{
    const QString path = m_dir.filePath(u"all.csv"_qs);
    ASSERT_EQ(Export({ResultFormat::Csv, path, false, {0, 1, 2}}), QString());
    const QJsonArray blocks = ReadBackFile(u"csv"_qs, path).toArray();
    ASSERT_EQ(blocks.size(), 3);
    EXPECT_EQ(blocks[0][0].toArray(), (QJsonArray{u"Connection"_qs, u"name"_qs, u"value"_qs}));
    EXPECT_EQ(blocks[0].toArray().size(), 6);
    EXPECT_EQ(blocks[1][4].toArray(), (QJsonArray{u"Live/1"_qs, u"Live/13"_qs, u"3"_qs}));
    EXPECT_EQ(blocks[2].toArray().size(), 3);
    EXPECT_EQ(Files(), QStringList{u"all.csv"_qs});
}

TEST_F(ResultExport, AFilePerConnectionInJsonAndNdjson)
{
    ASSERT_EQ(Export({ResultFormat::Json, m_dir.filePath(u"run.json"_qs), true, {0, 1, 2}}),
              QString());
    EXPECT_EQ(Files(), (QStringList{u"run-Archive.json"_qs, u"run-Live_1.json"_qs}));
    const QJsonArray archive =
        ReadBackFile(u"json"_qs, m_dir.filePath(u"run-Archive.json"_qs)).toArray();
    ASSERT_EQ(archive.size(), 2);
    EXPECT_EQ(archive[1][u"batch"_qs].toInt(), 2);
    EXPECT_TRUE(archive[0][u"rows"_qs][2][1].isNull());
    EXPECT_EQ(archive[0][u"rows"_qs][4].toArray(), (QJsonArray{u"Archive4"_qs, u"4"_qs}));

    ASSERT_EQ(Export({ResultFormat::Ndjson, m_dir.filePath(u"one.ndjson"_qs), false, {1}}),
              QString());
    const QJsonArray lines = ReadBackFile(u"ndjson"_qs, m_dir.filePath(u"one.ndjson"_qs)).toArray();
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[4][u"row"_qs].toArray(), (QJsonArray{u"Live/13"_qs, u"3"_qs}));
}

TEST_F(ResultExport, XlsxHasASheetASetAndReplacesTheTargetWhole)
{
    const QString path = m_dir.filePath(u"book.xlsx"_qs);
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    ASSERT_EQ(Export({ResultFormat::Xlsx, path, false, {0, 1, 2}}), QString());
    EXPECT_EQ(Files(), QStringList{u"book.xlsx"_qs}) << "no temporary file is left";
    const QJsonObject book = ReadBackFile(u"xlsx"_qs, path).toObject();
    EXPECT_EQ(book[u"sheets"_qs].toArray(),
              (QJsonArray{u"B1 R1 Archive"_qs, u"B1 R1 Live_1"_qs, u"B2 R1 Archive"_qs}));
    const QJsonArray live = book[u"cells"_qs][u"B1 R1 Live_1"_qs].toArray();
    ASSERT_EQ(live.size(), 5);
    EXPECT_EQ(live[3].toArray(), (QJsonArray{u"Live/1"_qs, u"Live/12"_qs, QJsonValue::Null}));
}

TEST_F(ResultExport, CancelLeavesTheTargetsAsTheyWere)
{
    const QString path = m_dir.filePath(u"keep.tsv"_qs);
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    for (const ResultFormat format : {ResultFormat::Tsv, ResultFormat::Xlsx}) {
        CResultExport exporter(m_store, {format, path, false, {0, 1}});
        QString error;
        ASSERT_TRUE(exporter.Start(error));
        EXPECT_FALSE(exporter.Step(3));
        exporter.Cancel();
        EXPECT_EQ(Files(), QStringList{u"keep.tsv"_qs});
        QFile kept(path);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), "old");
    }
    QString error;
    CResultExport nowhere(m_store, {ResultFormat::Csv, m_dir.filePath(u"no/x.csv"_qs), false, {0}});
    EXPECT_FALSE(nowhere.Start(error));
    EXPECT_TRUE(error.contains(u"no/x.csv"_qs)) << error.toStdString();
}

TEST_F(ResultExport, CutValuesAreCountedAndNamed)
{
    const CCutValues cut = CResultExport::FindCut(m_store, {0, 1, 2});
    EXPECT_EQ(cut.count, 2);
    EXPECT_EQ(cut.places, (QStringList{u"Archive: value"_qs, u"Live/1: value"_qs}));
    EXPECT_EQ(CResultExport::FindCut(m_store, {2}).count, 0);
}
