#include "runner/COrderedOutput.h"

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
