// tessella-run: the workbench's document and connection machinery without a window.

#include "odbc/LocaleSetup.h"
#include "runner/RunnerCommandLine.h"
#include "runner/RunnerCommands.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

#if defined(__SANITIZE_THREAD__)
// A stop signal ends the runner with _exit, leaving behind the threads that a driver may hold:
// leaving them is the point, so ThreadSanitizer is not to report them as leaks.
extern "C" const char* __tsan_default_options()
{
    return "report_thread_leaks=0";
}
#endif

int main(int argc, char** argv)
{
    odbc::EnsureUtf8Locale();
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("MarrowindTeam"));
    QCoreApplication::setApplicationName(QStringLiteral("Tessella"));

    CRunnerCommandLine commandLine;
    if (!commandLine.Parse(QCoreApplication::arguments().mid(1))) {
        std::fprintf(stderr, "tessella-run: %s\nRun tessella-run --help for the options.\n",
                     commandLine.Error().toUtf8().constData());
        return ExitUsageOrFileError;
    }
    QFile input;
    input.open(stdin, QIODevice::ReadOnly);
    if (!commandLine.ReadPasswords(input)) {
        std::fprintf(stderr, "tessella-run: %s\n", commandLine.Error().toUtf8().constData());
        return ExitUsageOrFileError;
    }
    return CRunnerCommands(stdout, stderr).Execute(commandLine);
}
