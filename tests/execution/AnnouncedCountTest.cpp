#include "execution/CAnnouncedCount.h"

#include <gtest/gtest.h>

TEST(AnnouncedCountTest, BelowHundredRowsAnnouncesTheExactCount)
{
    CAnnouncedCount count;
    EXPECT_EQ(count.Value(), 0);
    EXPECT_TRUE(count.Grow(7));
    EXPECT_EQ(count.Value(), 7);
    EXPECT_TRUE(count.Grow(99));
    EXPECT_EQ(count.Value(), 99);
}

TEST(AnnouncedCountTest, FromHundredRowsRunsThousandAhead)
{
    CAnnouncedCount count;
    count.Grow(99);
    EXPECT_TRUE(count.Grow(100));
    EXPECT_EQ(count.Value(), 1100);
}

TEST(AnnouncedCountTest, ChangesOnlyWhenRowsPassTheAnnouncedCount)
{
    CAnnouncedCount count;
    count.Grow(100);
    for (qsizetype rows : {101, 500, 1099, 1100}) {
        EXPECT_FALSE(count.Grow(rows)) << rows;
        EXPECT_EQ(count.Value(), 1100) << rows;
    }
    EXPECT_TRUE(count.Grow(1101));
    EXPECT_EQ(count.Value(), 2101);
}

TEST(AnnouncedCountTest, TrimAfterTheRunLowersToTheRealCount)
{
    CAnnouncedCount count;
    count.Grow(250);
    ASSERT_EQ(count.Value(), 1250);
    count.TrimTo(250);
    EXPECT_EQ(count.Value(), 250);
    count.TrimTo(400);
    EXPECT_EQ(count.Value(), 250) << "trimming never raises the count";
    EXPECT_TRUE(count.Grow(251));
    EXPECT_EQ(count.Value(), 1251);
}

TEST(AnnouncedCountTest, ResetStartsOver)
{
    CAnnouncedCount count;
    count.Grow(5000);
    count.Reset();
    EXPECT_EQ(count.Value(), 0);
    EXPECT_TRUE(count.Grow(3));
    EXPECT_EQ(count.Value(), 3);
}
