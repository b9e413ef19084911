// The main of the Qt Test programs: private settings and data folders and ODBC configuration
// before the application object exists, so that no test reads or changes the user's.

#include "GuiTestRegistry.h"
#include "OdbcTestConfig.h"
#include "odbc/LocaleSetup.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

int main(int argc, char** argv)
{
    odbc::EnsureUtf8Locale();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QTemporaryDir settingsHome;
    qputenv("XDG_CONFIG_HOME", settingsHome.path().toLocal8Bit());
    // The workbench keeps its recovery copies in the data folder.
    QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    // No test reaches the user's keyring: without a Secret Service of the tests' own
    // (tests/keyring/with-private-keyring.sh) the session bus is one that is not there.
    if (!qEnvironmentVariableIsSet("TESSELLA_PRIVATE_KEYRING")) {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tessella-test-bus");
    }
    OdbcTestConfig config;
    QApplication application(argc, argv);

    QStringList arguments = QCoreApplication::arguments();
    QString only;
    if (arguments.size() > 1 && !arguments.at(1).startsWith(QLatin1Char('-'))) {
        only = arguments.takeAt(1);
    }
    int failures = 0;
    bool ranAny = false;
    for (const GuiTestRegistry::Entry& entry : GuiTestRegistry::Entries()) {
        if (!only.isEmpty() && entry.name != only) {
            continue;
        }
        ranAny = true;
        std::unique_ptr<QObject> test = entry.create();
        failures += QTest::qExec(test.get(), arguments);
    }
    if (!ranAny) {
        qCritical("No test class named %s", qUtf8Printable(only));
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
