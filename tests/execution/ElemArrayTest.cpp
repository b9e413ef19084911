#include "execution/CElemArray.h"
#include "execution/CPostElemArray.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <memory>

TEST(ElemArrayTest, KeepsElementsInOrder)
{
    CElemArray array;
    array.Add(ElemHeader, "id\tname");
    array.Add(std::make_unique<CBufferElem>(ElemRow, "1\tx"));
    array.Add(ElemInfo, "End(No data found)");

    ASSERT_EQ(array.size(), 3);
    EXPECT_EQ(array.At(0).m_kind, ElemHeader);
    EXPECT_EQ(array.At(1).m_text, "1\tx");
    EXPECT_EQ(array.At(2).m_kind, ElemInfo);
}

TEST(ElemArrayTest, NullElementIsNotAdded)
{
    CElemArray array;
    array.Add(std::unique_ptr<CBufferElem>());
    EXPECT_EQ(array.size(), 0);
}

TEST(ElemArrayTest, TakeAllHandsOverTheSameTexts)
{
    CElemArray array;
    array.Add(ElemRow, "a");
    array.Add(std::make_unique<CBufferElem>(ElemInfo, "b"));
    const QChar* first = array.At(0).m_text.constData();
    const QChar* second = array.At(1).m_text.constData();

    CElemArray::Elements taken = array.TakeAll();

    EXPECT_EQ(array.size(), 0);
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].m_text.constData(), first) << "moved, not copied";
    EXPECT_EQ(taken[1].m_text.constData(), second) << "moved, not copied";
    EXPECT_EQ(taken[1].m_kind, ElemInfo);
}

// A query thread's batch keeps its rows' texts in blocks of its own: what the store keeps must
// be copied out before the batch goes, and a batch used again shows nothing of its last rows.
TEST(PostElemArrayTest, BorrowedTextsSurviveTheBatchOnlyOnceDetached)
{
    auto batch = std::make_unique<CPostElemArray>(u"Source"_qs, 10);
    const QString longRow(20000, u'x'); // beyond one block
    batch->AddText(ElemHeader, u"id\tname");
    batch->AddText(ElemRow, longRow);
    batch->AddText(ElemRow, u"");
    batch->Add(ElemInfo, QString(8, u'o'));
    for (int row = 0; row < 500; ++row) {
        batch->AddText(ElemRow, u"%1\tGrüße 😀"_qs.arg(row));
    }
    const QChar* own = batch->At(3).m_text.constData();

    batch->DetachTexts();
    CElemArray::Elements kept = batch->TakeAll();
    batch.reset(); // its blocks are gone; what was kept must not point into them

    ASSERT_EQ(kept.size(), 504u);
    EXPECT_EQ(kept[0].m_text, u"id\tname"_qs);
    EXPECT_EQ(kept[1].m_text, longRow);
    EXPECT_TRUE(kept[2].m_text.isEmpty());
    EXPECT_EQ(kept[3].m_text.constData(), own) << "a text of its own is not copied";
    for (int row = 0; row < 500; ++row) {
        ASSERT_EQ(kept[std::size_t(row) + 4].m_text, u"%1\tGrüße 😀"_qs.arg(row));
    }
}

TEST(PostElemArrayTest, ARecycledBatchStartsEmptyAndUnhandled)
{
    CPostElemArray batch(u"Source"_qs, 100);
    for (int row = 0; row < 300; ++row) {
        batch.AddText(ElemRow, QString(row % 40 + 1, QChar(u'a' + row % 26)));
    }
    batch.m_handled.store(1);
    batch.Recycle();
    EXPECT_EQ(batch.size(), 0);
    EXPECT_EQ(batch.m_handled.load(), 0);

    // The kept blocks serve again, one of them too small for the longest text.
    const QString longRow(9000, u'z');
    batch.AddText(ElemRow, u"first"_qs);
    batch.AddText(ElemRow, longRow);
    batch.AddText(ElemRow, u"last"_qs);
    ASSERT_EQ(batch.size(), 3);
    EXPECT_EQ(batch.At(0).m_text, u"first"_qs);
    EXPECT_EQ(batch.At(1).m_text, longRow);
    EXPECT_EQ(batch.At(2).m_text, u"last"_qs);
}
