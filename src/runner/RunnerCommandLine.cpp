#include "RunnerCommandLine.h"

bool CRunnerCommandLine::Fail(const QString& message)
{
    m_error = message;
    return false;
}

bool CRunnerCommandLine::SetCommand(Command command)
{
    if (m_command != Command::None && m_command != command) {
        return Fail(QStringLiteral("Only one of --print-document, --save-as and --connect may be "
                                   "given."));
    }
    m_command = command;
    return true;
}

bool CRunnerCommandLine::TakeValue(const QStringList& arguments, qsizetype& index, QString& value)
{
    if (index + 1 >= arguments.size()) {
        return Fail(QStringLiteral("%1 needs a value.").arg(arguments[index]));
    }
    value = arguments[++index];
    return true;
}

bool CRunnerCommandLine::Parse(const QStringList& arguments)
{
    QStringList positional;
    QString timeOutText;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        bool ok = true;
        if (arg == u"--help" || arg == u"-h") {
            ok = SetCommand(Command::Help);
        } else if (arg == u"--print-document") {
            ok = SetCommand(Command::PrintDocument) && TakeValue(arguments, i, file);
        } else if (arg == u"--save-as") {
            ok = SetCommand(Command::SaveAs) && TakeValue(arguments, i, outputFile);
        } else if (arg == u"--connect") {
            ok = SetCommand(Command::Connect) && TakeValue(arguments, i, dataSource);
        } else if (arg == u"--user") {
            ok = TakeValue(arguments, i, user);
        } else if (arg == u"--password") {
            ok = TakeValue(arguments, i, password);
        } else if (arg == u"--timeout") {
            ok = TakeValue(arguments, i, timeOutText);
        } else if (arg.startsWith(u'-') && arg.size() > 1) {
            return Fail(QStringLiteral("Unknown option %1.").arg(arg));
        } else {
            positional << arg;
        }
        if (!ok) {
            return false;
        }
    }
    if (!timeOutText.isNull()) {
        bool number = false;
        timeOut = timeOutText.toInt(&number);
        if (!number || timeOut < 0) {
            return Fail(QStringLiteral("--timeout needs a number of seconds."));
        }
    }
    switch (m_command) {
    case Command::Help:
        return true;
    case Command::None:
        return Fail(QStringLiteral("No command given."));
    case Command::PrintDocument:
    case Command::Connect:
        if (!positional.isEmpty()) {
            return Fail(QStringLiteral("Unexpected argument %1.").arg(positional.first()));
        }
        return true;
    case Command::SaveAs:
        if (positional.size() != 1) {
            return Fail(QStringLiteral("--save-as OUT needs exactly one document to load."));
        }
        file = positional.first();
        return true;
    }
    return false;
}

QString CRunnerCommandLine::Usage()
{
    return QStringLiteral("Usage:\n"
                          "  tessella-run --print-document FILE\n"
                          "  tessella-run --save-as OUT FILE\n"
                          "  tessella-run --connect DSN [--user U] [--password P] [--timeout S]\n");
}
