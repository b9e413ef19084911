// tessella: the SQL workbench for ODBC data sources.

#include "app/CStartupProbe.h"
#include "app/CTessellaApp.h"
#include "app/CTestHooks.h"
#include "appbase/CMessageStrings.h"
#include "odbc/LocaleSetup.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Without a display the platform plugin would abort with a page of advice; one line says it.
bool HasDisplay(int argc, char** argv)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
        !qEnvironmentVariableIsEmpty("DISPLAY") ||
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    const CStartupProbe::Clock::time_point started = CStartupProbe::Clock::now();
    odbc::EnsureUtf8Locale();
    if (!HasDisplay(argc, argv)) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(CMessageStrings::Text(MsgNoDisplay)));
        return 1;
    }
    QApplication application(argc, argv);
    std::unique_ptr<CStartupProbe> probe;
    if (CStartupProbe::Wanted()) {
        probe = std::make_unique<CStartupProbe>(started);
        QObject::connect(probe.get(), &CStartupProbe::documentShown,
                         [](const QString& title, double milliseconds, qint64 clockNs) {
                             std::printf("%s\n", qUtf8Printable(CStartupProbe::ReportLine(
                                                     title, milliseconds, clockNs)));
                             std::fflush(stdout);
                             QCoreApplication::quit();
                         });
    }
    CTessellaApp app;
    if (!app.InitInstance(QCoreApplication::arguments().mid(1))) {
        return 1;
    }
    CTestHooks::Run(app);
    return app.ExitInstance(QApplication::exec());
}
