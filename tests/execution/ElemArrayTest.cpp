#include "execution/CElemArray.h"

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
