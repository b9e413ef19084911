#include "OdbcTestConfig.h"

#include "odbc/LocaleSetup.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    odbc::EnsureUtf8Locale();
    // Settings go to a private folder too: no test reads or changes the user's.
    QTemporaryDir settingsHome;
    qputenv("XDG_CONFIG_HOME", settingsHome.path().toLocal8Bit());
    OdbcTestConfig config;
    // Posted events and queued calls need an application object.
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
