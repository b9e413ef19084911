#include "runner/COrderedOutput.h"
#include "ReadBack.h"

#include "execution/CPostElemArray.h"

#include <QJsonArray>
#include <QJsonValue>

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

namespace {

// What the output has written (and flushed) so far.
class MemoryStream
{
public:
    MemoryStream() : m_file(open_memstream(&m_buffer, &m_size)) {}
    ~MemoryStream()
    {
        std::fclose(m_file);
        std::free(m_buffer);
    }
    std::FILE* File() const { return m_file; }
    QByteArray Written() const { return QByteArray(m_buffer, qsizetype(m_size)); }

private:
    char* m_buffer = nullptr;
    size_t m_size = 0;
    std::FILE* m_file;
};

CElemArray::Elements Rows(const QStringList& texts)
{
    CElemArray::Elements elements;
    for (const QString& text : texts) {
        elements.emplace_back(ElemRow, text);
    }
    return elements;
}

} // namespace

TEST(OrderedOutput, LaterGroupsWaitForTheirTurnThenStream)
{
    MemoryStream stream;
    COrderedOutput output(stream.File(), {u"A"_qs, u"B"_qs, u"C"_qs});
    output.Take(u"C"_qs, Rows({u"c1"_qs}));
    // B holds over three blocks' worth, in batches as a query thread posts them.
    QByteArray groupB = "0\tB\n";
    const QString wide(1000, u'x');
    for (int row = 0; groupB.size() < 3 * COrderedOutput::kBlock;) {
        QStringList batch;
        for (int i = 0; i < 100; ++i, ++row) {
            batch << QString::number(row) + u'\t' + wide;
            groupB += "3\t" + batch.last().toLatin1() + '\n';
        }
        output.Take(u"B"_qs, Rows(batch));
    }
    output.Complete(u"B"_qs);
    output.WritePending();
    EXPECT_EQ(stream.Written(), "") << "B and C wait for A";

    output.Take(u"A"_qs, Rows({u"a1\r\nstill a1"_qs}));
    output.WritePending();
    const QByteArray groupA = "0\tA\n3\ta1  still a1\n";
    EXPECT_EQ(stream.Written(), groupA);

    output.Complete(u"A"_qs);
    EXPECT_TRUE(stream.Written() == groupA + groupB) << "B's turn came, complete";
    output.Take(u"Unlisted"_qs, Rows({u"u1"_qs}));
    output.Take(u"C"_qs, Rows({u"c2"_qs}));
    output.WritePending();
    const QByteArray groupC = "0\tC\n3\tc1\n3\tc2\n";
    EXPECT_TRUE(stream.Written() == groupA + groupB + groupC) << "C streams now";
    output.Finish();
    EXPECT_TRUE(stream.Written() == groupA + groupB + groupC + "0\tUnlisted\n3\tu1\n");
}

namespace {

// A batch of one set: its header, then rows of "<n>\t<text>" with the second value NULL in
// every odd row.
std::unique_ptr<CPostElemArray> SetBatch(const QString& connection, int batch, int rows,
                                         const QString& text)
{
    auto posted = std::make_unique<CPostElemArray>(connection, rows + 1);
    posted->AddHeader(u"n\tv", batch, 0);
    odbc::ValueMarks marks;
    for (int row = 0; row < rows; ++row) {
        marks.Reset(2);
        if (row % 2 == 1) {
            marks.MarkNull(1);
        }
        posted->AddRow(QStringLiteral("%1\t%2").arg(row).arg(row % 2 ? QString() : text), marks);
    }
    return posted;
}

} // namespace

TEST(OrderedOutput, JsonStaysOneValidArrayWhileLaterGroupsWait)
{
    MemoryStream stream;
    COrderedOutput output(stream.File(), {u"A"_qs, u"B"_qs, u"C"_qs});
    output.SetFormat(ResultFormat::Json, nullptr);
    // B's rows fill blocks that wait for A; C returns nothing.
    const QString wide(400, u'w');
    const int rows = int(3 * COrderedOutput::kBlock / 400);
    output.Take(*SetBatch(u"B"_qs, 0, rows, wide));
    output.Take(*SetBatch(u"A"_qs, 0, 3, u"a"_qs));
    output.WritePending();
    const qsizetype beforeA = stream.Written().size();
    EXPECT_LT(beforeA, COrderedOutput::kBlock) << "B waits for A";
    output.Take(*SetBatch(u"A"_qs, 1, 2, u"a2"_qs));
    output.Complete(u"B"_qs);
    output.Complete(u"A"_qs);
    output.Complete(u"C"_qs);
    output.Finish();

    const QJsonArray sets = ReadBack(u"json"_qs, stream.Written()).toArray();
    ASSERT_EQ(sets.size(), 3);
    EXPECT_EQ(sets[0][u"connection"_qs].toString(), u"A"_qs);
    EXPECT_EQ(sets[1][u"batch"_qs].toInt(), 2);
    EXPECT_EQ(sets[1][u"rows"_qs].toArray().size(), 2);
    EXPECT_EQ(sets[2][u"connection"_qs].toString(), u"B"_qs);
    const QJsonArray bRows = sets[2][u"rows"_qs].toArray();
    ASSERT_EQ(bRows.size(), rows);
    EXPECT_EQ(bRows[rows - 2].toArray(), (QJsonArray{QString::number(rows - 2), wide}));
    EXPECT_TRUE(bRows[rows - 1][1].isNull());
}
