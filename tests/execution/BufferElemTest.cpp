#include "execution/CBufferElem.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

TEST(BufferElemTest, FieldCountIsTabsPlusOne)
{
    EXPECT_EQ(CBufferElem(ElemRow, "").GetFieldCount(), 1);
    EXPECT_EQ(CBufferElem(ElemRow, "one").GetFieldCount(), 1);
    EXPECT_EQ(CBufferElem(ElemRow, "a\tb").GetFieldCount(), 2);
    EXPECT_EQ(CBufferElem(ElemRow, "\t").GetFieldCount(), 2);
    EXPECT_EQ(CBufferElem(ElemRow, "a\t\tb\t").GetFieldCount(), 4);
    EXPECT_EQ(CBufferElem(ElemRow, "a b\r\nc").GetFieldCount(), 1) << "only tabs separate";
}

TEST(BufferElemTest, FieldsLieBetweenTabs)
{
    const CBufferElem element(ElemRow, "first\t\tthird\tlast");
    EXPECT_EQ(element.GetField(0).toString(), "first");
    EXPECT_EQ(element.GetField(1).toString(), "");
    EXPECT_EQ(element.GetField(2).toString(), "third");
    EXPECT_EQ(element.GetField(3).toString(), "last");

    const CBufferElem edges(ElemRow, "\tmiddle\t");
    EXPECT_EQ(edges.GetField(0).toString(), "");
    EXPECT_EQ(edges.GetField(1).toString(), "middle");
    EXPECT_EQ(edges.GetField(2).toString(), "");
}

TEST(BufferElemTest, FieldOutsideTheRowIsEmpty)
{
    const CBufferElem element(ElemRow, "a\tb");
    EXPECT_TRUE(element.GetField(2).isEmpty());
    EXPECT_TRUE(element.GetField(100).isEmpty());
    EXPECT_TRUE(element.GetField(-1).isEmpty());
}

TEST(BufferElemTest, NativeCodeIsItsOwnField)
{
    const CBufferElem element(ElemError, "[Native:1205]\t40001 deadlock");
    EXPECT_EQ(element.GetField(0).toString(), "[Native:1205]");
    EXPECT_EQ(element.GetField(1).toString(), "40001 deadlock");
}
