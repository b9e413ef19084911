#include "runner/RunnerCommandLine.h"

#include <limits>

namespace {

// A whole number from 0 to the most `value` holds, into `value`; false, leaving it, otherwise.
template <typename Number> bool ReadCount(const QString& text, Number& value)
{
    bool number = false;
    const qint64 read = text.toLongLong(&number);
    if (!number || read < 0 || read > std::numeric_limits<Number>::max()) {
        return false;
    }
    value = Number(read);
    return true;
}

} // namespace

CConnectionData CRunnerCommandLine::DataSource::ToEntry() const
{
    CConnectionData entry;
    entry.m_dataSource = name;
    entry.m_login = user;
    entry.m_password = password;
    entry.m_timeOut = timeOut;
    return entry;
}

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

bool CRunnerCommandLine::ParseTimeOut(const QString& text, int& seconds)
{
    return ReadCount(text, seconds) || Fail(QStringLiteral("--timeout needs a number of seconds."));
}

bool CRunnerCommandLine::ParseMemoryLimit(const QString& text)
{
    return ReadCount(text, resultMemoryLimitMB) ||
           Fail(QStringLiteral("--result-memory-limit needs a number of megabytes."));
}

bool CRunnerCommandLine::ParseJobs(const QString& text)
{
    return ReadCount(text, jobs) ||
           Fail(QStringLiteral("--jobs needs a number of connections (0 for all at once)."));
}

bool CRunnerCommandLine::Parse(const QStringList& arguments)
{
    QStringList positional;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        // --user, --password and --timeout belong to the --dsn before them, if any.
        DataSource* last = dataSources.isEmpty() ? nullptr : &dataSources.last();
        QString value;
        bool ok = true;
        if (arg == u"--help" || arg == u"-h") {
            ok = SetCommand(Command::Help);
        } else if (arg == u"--print-document") {
            ok = SetCommand(Command::PrintDocument) && TakeValue(arguments, i, file);
        } else if (arg == u"--save-as") {
            ok = SetCommand(Command::SaveAs) && TakeValue(arguments, i, outputFile);
        } else if (arg == u"--connect") {
            ok = SetCommand(Command::Connect) && TakeValue(arguments, i, dataSource);
        } else if (arg == u"--dsn") {
            ok = TakeValue(arguments, i, value);
            dataSources.append({value, {}, {}, 30});
        } else if (arg == u"--user") {
            ok = TakeValue(arguments, i, last ? last->user : user);
        } else if (arg == u"--password") {
            ok = TakeValue(arguments, i, last ? last->password : password);
        } else if (arg == u"--timeout") {
            ok = TakeValue(arguments, i, value) &&
                 ParseTimeOut(value, last ? last->timeOut : timeOut);
        } else if (arg == u"--separator") {
            ok = TakeValue(arguments, i, separator);
        } else if (arg == u"--no-separator") {
            noSeparator = true;
        } else if (arg == u"--ignore-info") {
            ignoreInfo = true;
        } else if (arg == u"--reconnect") {
            reconnect = true;
        } else if (arg == u"--result-memory-limit") {
            ok = TakeValue(arguments, i, value) && ParseMemoryLimit(value);
        } else if (arg == u"--jobs") {
            ok = TakeValue(arguments, i, value) && ParseJobs(value);
        } else if (arg == u"--progress") {
            progress = true;
        } else if (arg == u"--timing") {
            timing = true;
        } else if (arg == u"--no-history") {
            noHistory = true;
        } else if (arg.startsWith(u'-') && arg.size() > 1) {
            return Fail(QStringLiteral("Unknown option %1.").arg(arg));
        } else {
            positional << arg;
        }
        if (!ok) {
            return false;
        }
    }
    return Finish(positional);
}

bool CRunnerCommandLine::Finish(const QStringList& positional)
{
    if (m_command == Command::None && !positional.isEmpty()) {
        m_command = Command::Run;
    }
    const bool runOptions = !separator.isNull() || noSeparator || ignoreInfo || reconnect ||
                            progress || timing || resultMemoryLimitMB != 0 || jobs != 0;
    if (runOptions && m_command != Command::Run && m_command != Command::Help) {
        return Fail(QStringLiteral("--separator, --no-separator, --ignore-info, --reconnect, "
                                   "--result-memory-limit, --jobs, --progress and --timing go "
                                   "with a document to run."));
    }
    // A saved copy may get connections of its own.
    const bool takesDataSources = m_command == Command::Run || m_command == Command::SaveAs;
    if (!dataSources.isEmpty() && !takesDataSources && m_command != Command::Help) {
        return Fail(QStringLiteral("--dsn goes with a document to run or to save."));
    }
    switch (m_command) {
    case Command::Help:
        return true;
    case Command::None:
        return Fail(QStringLiteral("No document or command given."));
    case Command::PrintDocument:
    case Command::Connect:
        if (!positional.isEmpty()) {
            return Fail(QStringLiteral("Unexpected argument %1.").arg(positional.first()));
        }
        return true;
    case Command::SaveAs:
    case Command::Run:
        if (positional.size() != 1) {
            return Fail(QStringLiteral("Exactly one document is needed."));
        }
        file = positional.first();
        return true;
    }
    return false;
}

bool CRunnerCommandLine::ReadPasswords(QIODevice& input)
{
    // The password before any --dsn comes first on the command line.
    QList<QString*> wanted = {&password};
    for (DataSource& source : dataSources) {
        wanted << &source.password;
    }
    for (QString* value : wanted) {
        if (*value != u"-") {
            continue;
        }
        // Waits for the line; only the end of the input gives nothing, an empty line is "\n".
        QByteArray line = input.readLine();
        if (line.isEmpty()) {
            return Fail(QStringLiteral("--password - needs a line on standard input."));
        }
        while (line.endsWith('\n') || line.endsWith('\r')) {
            line.chop(1);
        }
        *value = QString::fromUtf8(line);
    }
    return true;
}

QString CRunnerCommandLine::Usage()
{
    return QStringLiteral(
        "Usage:\n"
        "  tessella-run [--dsn NAME [--user U] [--password P] [--timeout S]]... [--jobs N]\n"
        "               [--separator SEP | --no-separator] [--ignore-info] [--reconnect]\n"
        "               [--result-memory-limit MB] [--progress] [--timing] FILE\n"
        "      Runs FILE's SQL on its enabled connections and the given ones; --jobs N lets\n"
        "      at most N of them query at once, the others waiting for their turn\n"
        "      (0, the default: all at once).\n"
        "  tessella-run --print-document FILE\n"
        "  tessella-run --save-as OUT FILE [--dsn NAME [--user U] [--password P] [--timeout S]]\n"
        "      Saves FILE as OUT, with the given connections added.\n"
        "  tessella-run --connect DSN [--user U] [--password P] [--timeout S]\n"
        "  A password given as - is read from a line of standard input.\n"
        "  --no-history leaves the run out of the history of runs (kept in the data folder).\n");
}
