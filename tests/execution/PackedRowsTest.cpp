#include "execution/CBufferElem.h"
#include "execution/CPackedRows.h"

#include "QtPrinters.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Texts a driver can hand over: plain, accented, CJK, beyond the Basic Multilingual Plane,
// NUL inside, empty fields, and units that are no valid UTF-16 (which have no UTF-8 form).
QStringList AwkwardTexts()
{
    const QChar nul(u'\0');
    return {
        u"1\tplain\t12.50"_qs,
        u"caf\u00e9\t\u00fc\u00df"_qs,
        u"\u6771\u4eac\t\u30c6\u30b9\u30c8"_qs,
        QString::fromUtf8("\xf0\x9f\x98\x80\tsmile"),
        u"a"_qs + nul + u"b\t"_qs + nul,
        u""_qs,
        u"\t\t"_qs,
        QString(QChar(0xD800)) + u"\tlone high"_qs,
        u"lone low\t"_qs + QChar(0xDC00),
        QString(QChar(0xDBFF)) + QChar(0xDBFF),
    };
}

void ExpectRow(const CPackedRows& rows, qsizetype row, int kind, const QString& text)
{
    const QStringList fields = text.split(u'\t');
    EXPECT_EQ(rows.Kind(row), kind);
    EXPECT_EQ(rows.Text(row), text);
    ASSERT_EQ(rows.FieldCount(row), fields.size()) << text.toStdString();
    for (int i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(rows.Field(row, i), fields[i]) << "field " << i << " of row " << row;
    }
    EXPECT_EQ(rows.Field(row, int(fields.size())), QString());
    EXPECT_EQ(rows.Field(row, -1), QString());
}

} // namespace

TEST(PackedRowsTest, EveryTextReadsBackAsItWentIn)
{
    CPackedRows rows;
    const QStringList texts = AwkwardTexts();
    for (int i = 0; i < texts.size(); ++i) {
        rows.Append(ElemRow + i % 2, texts[i]);
    }
    ASSERT_EQ(rows.Count(), texts.size());
    for (int i = 0; i < texts.size(); ++i) {
        ExpectRow(rows, i, ElemRow + i % 2, texts[i]);
    }
}

TEST(PackedRowsTest, RowsLongerThanABlockAndManyFieldsStayWhole)
{
    CPackedRows rows;
    const QString longRow = QString(int(CPackedRows::kBlockBytes), u'\u00e9') + u"\tend"_qs;
    QString manyFields = u"0"_qs;
    for (int i = 1; i < 70000; ++i) {
        manyFields += u'\t' + QString::number(i);
    }
    rows.Append(ElemRow, u"before"_qs);
    rows.Append(ElemRow, longRow);
    rows.Append(ElemRow, manyFields);
    rows.Append(ElemRow, u"after"_qs);

    EXPECT_EQ(rows.Text(0), "before");
    EXPECT_EQ(rows.Text(1), longRow);
    EXPECT_EQ(rows.Field(1, 1), "end");
    EXPECT_EQ(rows.FieldCount(2), 70000) << "beyond what the entry counts itself";
    EXPECT_EQ(rows.Field(2, 69999), "69999");
    EXPECT_EQ(rows.Text(3), "after");
}

TEST(PackedRowsTest, RollBackForgetsWhatCameAfterTheMark)
{
    CPackedRows rows;
    rows.Append(ElemConnection, u"A"_qs);
    const CPackedRows::Mark mark = rows.Position();
    for (int i = 0; i < 3000; ++i) {
        rows.Append(ElemRow, QString(1000, u'x'));
    }
    rows.RollBack(mark);
    EXPECT_EQ(rows.Count(), 1);
    rows.Append(ElemRow, u"next"_qs);
    EXPECT_EQ(rows.Text(0), "A");
    EXPECT_EQ(rows.Text(1), "next");
    EXPECT_LE(rows.AllocatedBytes(), qint64(CPackedRows::kBlockBytes) + 64);
}

TEST(PackedRowsTest, HoldsTheUtf8TextAndTwelveBytesARowWhichTheBudgetChargesInFull)
{
    CPackedRows rows;
    qint64 utf8 = 0;
    qint64 charged = 0;
    for (int i = 0; i < 100000; ++i) {
        const QString text =
            QString::number(i) + u"\tsome text \u00e9\t12.50\t"_qs + QString(i % 40, u'y');
        utf8 += text.toUtf8().size();
        charged += CPackedRows::HeldBytes(text);
        rows.Append(ElemRow, text);
    }
    const qint64 held = rows.AllocatedBytes();
    EXPECT_LE(held, utf8 + 12 * rows.Count() + qint64(CPackedRows::kBlockBytes));
    EXPECT_GE(charged + qint64(CPackedRows::kBlockBytes), held);
}
