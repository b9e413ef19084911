#include "OdbcTestConfig.h"

#include "LocaleSetup.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    odbc::EnsureUtf8Locale();
    OdbcTestConfig config;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
