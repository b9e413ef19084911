#include "odbc/CODBCObject.h"
#include "odbc/COdbcEnvironment.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

TEST(Environment, LastObjectFreesItAndTheNextAllocatesAfresh)
{
    ASSERT_EQ(COdbcEnvironment::UserCount(), 0);
    ASSERT_EQ(COdbcEnvironment::Handle(), nullptr);
    {
        CODBCObject first;
        EXPECT_EQ(COdbcEnvironment::Handle(), nullptr) << "construction allocates nothing";
        ASSERT_TRUE(first.AllocEnvironment());
        EXPECT_NE(COdbcEnvironment::Handle(), nullptr);
        {
            CODBCObject second;
            EXPECT_EQ(COdbcEnvironment::UserCount(), 2);
        }
        EXPECT_NE(COdbcEnvironment::Handle(), nullptr) << "one user is left";
    }
    EXPECT_EQ(COdbcEnvironment::UserCount(), 0);
    EXPECT_EQ(COdbcEnvironment::Handle(), nullptr);

    CODBCObject again;
    ASSERT_TRUE(again.AllocEnvironment());
    SQLINTEGER version = 0;
    ASSERT_TRUE(SQL_SUCCEEDED(
        SQLGetEnvAttr(COdbcEnvironment::Handle(), SQL_ATTR_ODBC_VERSION, &version, 0, nullptr)));
    EXPECT_EQ(version, SQL_OV_ODBC3) << "a plain object asks for what the query threads need";
}

TEST(Environment, ObjectsOnManyThreadsShareOneHandle)
{
    CODBCObject keeper;
    ASSERT_TRUE(keeper.AllocEnvironment());
    const SQLHENV handle = COdbcEnvironment::Handle();
    std::vector<std::thread> threads;
    std::vector<SQLHENV> seen(8, nullptr);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&seen, i] {
            for (int round = 0; round < 200; ++round) {
                CODBCObject object;
                object.AllocEnvironment();
                seen[i] = COdbcEnvironment::Handle();
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (SQLHENV h : seen) {
        EXPECT_EQ(h, handle);
    }
    EXPECT_EQ(COdbcEnvironment::UserCount(), 1);
}
