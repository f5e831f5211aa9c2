#include "synthesis/TransferBlockSize.h"

#include <gtest/gtest.h>

TEST(TransferBlockSize, TopRequestScalesWithTheBase)
{
    EXPECT_EQ(transferBlockSize(100, 300, 300), 20);
    EXPECT_EQ(transferBlockSize(100, 403, 344), 24);
    EXPECT_EQ(transferBlockSize(150, 300, 300), 20);
}

TEST(TransferBlockSize, SmallResultsBecomeFive)
{
    EXPECT_EQ(transferBlockSize(100, 60, 60), 5);
    EXPECT_EQ(transferBlockSize(4, 300, 300), 5);
    EXPECT_EQ(transferBlockSize(0, 300, 300), 5);
    EXPECT_EQ(transferBlockSize(-20, 300, 300), 5);
}

TEST(TransferBlockSize, OrdinaryRequestsAreKept)
{
    EXPECT_EQ(transferBlockSize(5, 300, 300), 5);
    EXPECT_EQ(transferBlockSize(32, 60, 60), 32);
    EXPECT_EQ(transferBlockSize(99, 10, 10), 99);
}
