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
    // And the data folder, where the history of runs is kept (the runner's too).
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    // No test reaches the user's keyring: without a Secret Service of the tests' own
    // (tests/keyring/with-private-keyring.sh) the session bus is one that is not there.
    if (!qEnvironmentVariableIsSet("TESSELLA_PRIVATE_KEYRING")) {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tessella-test-bus");
    }
    OdbcTestConfig config;
    // Posted events and queued calls need an application object.
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
